#include "core/highlight/RegexCache.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace stowline::RegexCache {

namespace {

struct Cache {
    QMutex lock;
    QHash<QString, Regex> expressions;
};

Cache& cache() {
    static Cache instance;
    return instance;
}

} // namespace

std::optional<Regex> regex(const QString& pattern) {
    Cache& shared = cache();
    // Held only to look up or to compile and store; matching happens on the caller's copy, which shares the
    // compiled pattern.
    QMutexLocker locker(&shared.lock);
    if (const auto found = shared.expressions.constFind(pattern); found != shared.expressions.constEnd())
        return *found;
    std::optional<Regex> compiled = Regex::compile(pattern);
    if (compiled)
        shared.expressions.insert(pattern, *compiled);
    return compiled;
}

} // namespace stowline::RegexCache
