#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"
#include "core/history/HistoryEngine.h"
#include "core/search/SmartSearch.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <cstring>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

// Occurrences of `needle` in the buffer, scanning all of it as a search for an absent term must.
qsizetype countOccurrences(const QByteArray& haystack, const QByteArray& needle) {
    qsizetype count = 0;
    const char* at = haystack.constData();
    const char* end = at + haystack.size();
    while (const void* found = memmem(at, size_t(end - at), needle.constData(), size_t(needle.size()))) {
        ++count;
        at = static_cast<const char*>(found) + needle.size();
    }
    return count;
}

int run(const QStringList& arguments) {
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    const QString query = u"Résumé -ＤＲＡＦＴ"_s;
    QTextStream out(stdout);

    QElapsedTimer timer;
    timer.start();
    const HistoryEngine engine(bench::syntheticHistory(clips, 1));
    const double build = double(timer.nsecsElapsed()) / 1e9;
    // The first search folds every clip's texts, once.
    timer.restart();
    engine.filtered(query);
    out << "clips=" << clips << " build_s=" << build
        << " first_search_with_folding_s=" << double(timer.nsecsElapsed()) / 1e9 << '\n';

    qsizetype matched = 0;
    const double search = bench::medianSeconds(15, [&] { matched = engine.filtered(query).size(); });

    // The floor: both folded terms found with memmem over the same folded texts, held in one buffer.
    const SmartSearch terms(query, engine.folder());
    QByteArray buffer;
    for (qsizetype i = 0; i < engine.size(); ++i)
        buffer += foldedSearchableText(engine.at(i), engine.folder()) + '\n';
    const QByteArray required = terms.requiredTerms().first().toUtf8();
    const QByteArray excluded = terms.excludedTerms().first().toUtf8();
    qsizetype occurrences = 0;
    const double floor = bench::medianSeconds(
        15, [&] { occurrences = countOccurrences(buffer, required) + countOccurrences(buffer, excluded); });

    out << "query=\"" << query << "\" matched=" << matched << " folded_bytes=" << buffer.size()
        << " term_occurrences=" << occurrences << '\n';
    out << "search_ms=" << search * 1000 << " floor_ms=" << floor * 1000 << '\n';
    out << "ratio=" << search / floor << '\n';
    return 0;
}

const bench::Registration registration(u"search"_s, run);

} // namespace
