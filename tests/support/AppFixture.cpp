#include "tests/support/AppFixture.h"

#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace stowline::test {

const RunningApplication editorApplication{7, u"Text Editor"_s, u"org.gnome.TextEditor"_s, 4242};

QList<ClipItem> stored(const QString& folder, SecretStore& secrets, ArchiveProtectionMode mode) {
    auto loaded = EncryptedArchiveStore(folder, secrets).load(mode);
    EXPECT_TRUE(loaded.ok());
    return loaded.ok() ? loaded->items : QList<ClipItem>();
}

AppFixture::AppFixture() {
    frontmost.setFrontmost(editorApplication);
}

ClipboardMonitor& AppFixture::launchMonitor() {
    monitor = std::make_unique<ClipboardMonitor>(pasteboard, frontmost, store, preferences, coordinator);
    actions.setMonitor(monitor.get());
    return *monitor;
}

bool AppFixture::copyAndPoll(const ClipRepresentations& representations, const QSet<QString>& markers) {
    pasteboard.copy(representations, markers);
    return poll();
}

bool AppFixture::poll() {
    QSignalSpy captured(monitor.get(), &ClipboardMonitor::captured);
    monitor->tick();
    pasteboard.deliverSnapshots();
    monitor->finishPendingCaptures();
    EXPECT_LE(captured.count(), 1);
    lastCapture = captured.isEmpty() ? std::nullopt : store.item(captured.constFirst().at(0).toUuid());
    return !captured.isEmpty();
}

} // namespace stowline::test
