#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

namespace stowline::bench {

// A run prints what it measured and ends with a line "ratio=<measured/floor>"; returns the process exit code.
using BenchRun = std::function<int(const QStringList& arguments)>;

std::map<QString, BenchRun>& registry();

struct Registration {
    Registration(const QString& name, BenchRun run) { registry().emplace(name, std::move(run)); }
};

// Median of `repeats` runs of `work`, in seconds.
double medianSeconds(int repeats, const std::function<void()>& work);

} // namespace stowline::bench
