#include "bench/BenchRegistry.h"

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

namespace stowline::bench {

std::map<QString, BenchRun>& registry() {
    static std::map<QString, BenchRun> runs;
    return runs;
}

double medianSeconds(int repeats, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace stowline::bench
