#include "bench/PasteboardRead.h"

#include <QEventLoop>

#include <optional>

namespace stowline::bench {

PasteboardSnapshot readSnapshot(Pasteboard& pasteboard, const PasteboardReadLimits& limits) {
    std::optional<PasteboardSnapshot> answer;
    QEventLoop loop;
    const auto connection =
        QObject::connect(&pasteboard, &Pasteboard::snapshotReady, &loop, [&](const PasteboardSnapshot& snapshot) {
            answer = snapshot;
            loop.quit();
        });
    pasteboard.requestSnapshot(limits);
    loop.exec();
    QObject::disconnect(connection);
    return answer.value_or(PasteboardSnapshot{});
}

} // namespace stowline::bench
