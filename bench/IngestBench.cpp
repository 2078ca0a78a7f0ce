#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"
#include "core/history/HistoryEngine.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int run(const QStringList& arguments) {
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    constexpr int repeats = 301;
    QTextStream out(stdout);
    HistoryEngine engine(bench::syntheticHistory(clips, 1));
    std::vector<ClipItem> fresh;
    for (int i = 0; i < 3 * repeats; ++i)
        fresh.push_back(bench::syntheticClip(clips + i, 2, Timestamp{double(clips + i)}));
    // At the limit, as a full history is: every ingest also prunes the oldest entry.
    int next = 0;
    const double ingest = bench::medianSeconds(repeats, [&] { engine.ingest(fresh[size_t(next++)], clips); });

    // The clipboard store hands a copy of the history or its list to the save queue after each change, so the
    // next ingest meets a history that shares its parts with a live copy.
    std::vector<double> copyTimes;
    std::vector<double> afterCopyTimes;
    std::vector<double> listTimes;
    std::vector<double> afterListTimes;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        const HistoryEngine copy = engine;
        copyTimes.push_back(double(timer.nsecsElapsed()) / 1e9);
        timer.restart();
        engine.ingest(fresh[size_t(next++)], clips);
        afterCopyTimes.push_back(double(timer.nsecsElapsed()) / 1e9);

        timer.restart();
        const QList<ClipItem> list = engine.items();
        listTimes.push_back(double(timer.nsecsElapsed()) / 1e9);
        timer.restart();
        engine.ingest(fresh[size_t(next++)], clips);
        afterListTimes.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    const double afterCopy = median(afterCopyTimes);
    const double afterList = median(afterListTimes);

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
    out << "ingest_us=" << ingest * 1e6 << " with_engine_copy_alive_us=" << afterCopy * 1e6
        << " with_items_list_alive_us=" << afterList * 1e6 << '\n';
    out << "engine_copy_us=" << median(copyTimes) * 1e6 << " items_list_us=" << median(listTimes) * 1e6 << '\n';
    out << "floor_us=" << floor * 1e6 << '\n';
    out << "ratio=" << std::max({ingest, afterCopy, afterList}) / floor << '\n';
    return 0;
}

const bench::Registration registration(u"ingest"_s, run);

} // namespace
