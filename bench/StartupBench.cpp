// Building the history from the clips the archive just loaded, as start-up does on the main thread.
#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"
#include "core/history/HistoryEngine.h"

#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

int run(const QStringList& arguments) {
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    constexpr int repeats = 7;
    QTextStream out(stdout);
    // Shuffled in time, as an archive written by another version might be.
    QList<ClipItem> loaded = bench::syntheticHistory(clips, 1);
    for (qsizetype i = 0; i < loaded.size(); i += 7)
        loaded[i].setLastUsedAt(Timestamp{double((i * 7919) % clips)});
    qsizetype built = 0;
    const double startup = bench::medianSeconds(repeats, [&] { built = HistoryEngine(loaded).size(); });
    // The floor: the least a history that owns its entries does, taking its own copy of each of them.
    qsizetype copied = 0;
    const double floor = bench::medianSeconds(repeats, [&] {
        QList<ClipItem> copy(loaded.begin(), loaded.end());
        copied = copy.size();
    });
    // What the deferred work costs later, on the first search (the search thread in the application).
    const HistoryEngine engine(loaded);
    const double firstSearch =
        bench::medianSeconds(1, [&] { built += engine.filtered(u"x"_s, QSet<ClipKind>()).size() * 0; });
    out << "clips=" << built << " copied=" << copied << '\n';
    out << "startup_ms=" << startup * 1000 << " floor_ms=" << floor * 1000
        << " first_search_with_folding_ms=" << firstSearch * 1000 << '\n';
    out << "ratio=" << startup / floor << '\n';
    return 0;
}

const bench::Registration registration(u"startup"_s, run);

} // namespace
