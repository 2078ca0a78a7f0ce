#pragma once

#include "app/actions/ClipboardActions.h"
#include "app/archive/EncryptedArchiveStore.h"
#include "app/capture/ClipboardMonitor.h"
#include "app/notices/Notices.h"
#include "app/platform/fake/FakeFrontmostApplication.h"
#include "app/platform/fake/FakeKeystrokePoster.h"
#include "app/platform/fake/FakePasteboard.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/platform/fake/FakeTextRecognizer.h"
#include "app/preferences/AppPreferences.h"
#include "app/recognition/ImageTextRecognitionCoordinator.h"
#include "app/store/HistoryPersistence.h"
#include "app/store/HistoryStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace stowline::test {

// An application in front that nothing excludes.
extern const RunningApplication editorApplication;

// What the next start-up would read from the archive in `folder`.
QList<ClipItem> stored(const QString& folder, SecretStore& secrets,
                       ArchiveProtectionMode mode = ArchiveProtectionMode::localFile);

// A history kept in a folder, as the application keeps it: read at once, saved after each change.
struct KeptHistory {
    KeptHistory(const QString& folder, SecretStore& secrets, ArchiveProtectionMode mode)
        : persistence(history, notices, std::make_unique<EncryptedArchiveStore>(folder, secrets), mode) {}

    Notices notices;
    HistoryStore history;
    HistoryPersistence persistence;
};

// The long-lived services of a running instance over fake desktop services and real files in a temporary
// folder; the monitor is made by `launchMonitor`, so a test can set the clipboard it starts with.
class AppFixture : public ::testing::Test {
protected:
    AppFixture();

    ClipboardMonitor& launchMonitor();
    // Copies as another application would and lets the monitor look; true when a clip came of it.
    bool copyAndPoll(const ClipRepresentations& representations, const QSet<QString>& markers = {});
    // Lets the monitor look and waits for what it made of it; true when a clip came of it (then in `lastCapture`).
    bool poll();
    QList<ClipItem> stored(ArchiveProtectionMode mode = ArchiveProtectionMode::localFile) {
        return test::stored(dir.path(), secrets, mode);
    }

    QTemporaryDir dir;
    FakeSecretStore secrets;
    KeptHistory kept{dir.path(), secrets, ArchiveProtectionMode::localFile};
    Notices& notices = kept.notices;
    HistoryStore& store = kept.history;
    HistoryPersistence& persistence = kept.persistence;
    AppPreferences preferences{std::make_unique<PreferenceStore>(dir.filePath(QStringLiteral("config/Stowline.conf")))};
    FakePasteboard pasteboard;
    FakeFrontmostApplication frontmost;
    FakeTextRecognizer recognizer;
    FakeKeystrokePoster keystrokes;
    ImageTextRecognitionCoordinator coordinator{store, recognizer};
    ClipboardActions actions{pasteboard, keystrokes};
    std::unique_ptr<ClipboardMonitor> monitor;
    std::optional<ClipItem> lastCapture;
};

} // namespace stowline::test
