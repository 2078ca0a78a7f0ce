#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"
#include "core/history/HistoryEngine.h"

#include <QTextStream>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

int run(const QStringList& arguments) {
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    constexpr int repeats = 301;
    QTextStream out(stdout);

    HistoryEngine engine(bench::syntheticHistory(clips, 1));
    std::vector<ClipItem> fresh;
    for (int i = 0; i < repeats; ++i)
        fresh.push_back(bench::syntheticClip(clips + i, 2, Timestamp{double(clips + i)}));
    // At the limit, as a full history is: every ingest also prunes the oldest entry.
    int next = 0;
    const double ingest = bench::medianSeconds(repeats, [&] { engine.ingest(fresh[size_t(next++)], clips); });

    // The floor: the least any ordered list of shared entries does for a new newest entry, one pointer inserted
    // at the front of as many pointers and the oldest dropped.
    std::vector<std::shared_ptr<const ClipItem>> pointers;
    for (int i = 0; i < clips; ++i)
        pointers.push_back(std::make_shared<const ClipItem>());
    next = 0;
    const double floor = bench::medianSeconds(repeats, [&] {
        pointers.insert(pointers.begin(), std::make_shared<const ClipItem>(fresh[size_t(next++)]));
        pointers.pop_back();
    });

    out << "clips=" << engine.size() << '\n';
    out << "ingest_us=" << ingest * 1e6 << " floor_us=" << floor * 1e6 << '\n';
    out << "ratio=" << ingest / floor << '\n';
    return 0;
}

const bench::Registration registration(u"ingest"_s, run);

} // namespace
