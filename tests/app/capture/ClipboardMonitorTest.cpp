#include "app/capture/ClipboardMonitor.h"

#include "app/platform/fake/FakeFrontmostApplication.h"
#include "app/platform/fake/FakePasteboard.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/platform/fake/FakeTextRecognizer.h"
#include "app/preferences/AppPreferences.h"
#include "app/recognition/ImageTextRecognitionCoordinator.h"
#include "app/store/ClipboardStore.h"
#include "core/support/AppIdentity.h"
#include "tests/support/ClipBuilders.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

QByteArray png(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

ClipRepresentation text(const QByteArray& bytes, qint64 itemIndex = 0) {
    return {itemIndex, TypeIdentifier::plainText, bytes};
}

const RunningApplication editor{7, u"Text Editor"_s, u"org.gnome.TextEditor"_s, 4242};

class ClipboardMonitorTest : public ::testing::Test {
protected:
    ClipboardMonitorTest() {
        frontmost.setFrontmost(editor);
        preferences.setPrivacyExclusionsEnabled(true);
    }

    ClipboardMonitor& launch() {
        monitor = std::make_unique<ClipboardMonitor>(pasteboard, frontmost, store, preferences, coordinator);
        return *monitor;
    }

    // Copies as another application would and lets the monitor look; true when a clip came of it.
    bool copyAndPoll(const ClipRepresentations& representations, const QSet<QString>& markers = {}) {
        pasteboard.copy(representations, markers);
        return poll();
    }

    bool poll() {
        QSignalSpy captured(monitor.get(), &ClipboardMonitor::captured);
        monitor->tick();
        // Item creation is serial, so once a later copy from a neutral application has arrived, an earlier
        // capture would have too.
        const std::optional<RunningApplication> application = frontmost.frontmost();
        frontmost.setFrontmost(editor);
        const QString sentinel = u"sentinel %1"_s.arg(++m_sentinels);
        pasteboard.copy({text(sentinel.toUtf8())});
        monitor->tick();
        frontmost.setFrontmost(application);
        const auto titleOf = [&](qsizetype i) { return store.item(captured.at(i).at(0).toUuid())->title(); };
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return !captured.isEmpty() && titleOf(captured.count() - 1) == sentinel; }, 5000));
        EXPECT_LE(captured.count(), 2);
        lastCapture = captured.count() == 2 ? store.item(captured.constFirst().at(0).toUuid()) : std::nullopt;
        return captured.count() == 2;
    }

    QTemporaryDir dir;
    FakeSecretStore secrets;
    ClipboardStore store{std::make_unique<EncryptedArchiveStore>(dir.path(), secrets), ArchiveProtectionMode::localFile,
                         true};
    AppPreferences preferences{std::make_unique<PreferenceStore>(dir.filePath(u"config/Stowline.conf"_s))};
    FakePasteboard pasteboard;
    FakeFrontmostApplication frontmost;
    FakeTextRecognizer recognizer;
    ImageTextRecognitionCoordinator coordinator{store, recognizer};
    std::unique_ptr<ClipboardMonitor> monitor;
    std::optional<ClipItem> lastCapture;

private:
    int m_sentinels = 0;
};

} // namespace

TEST_F(ClipboardMonitorTest, ContentFromBeforeTheLaunchIsNeverCapturedButTheFirstChangeIs) {
    pasteboard.copy({text("copied before launch")});
    launch();
    EXPECT_EQ(monitor->lastChangeCount(), pasteboard.changeCount());
    EXPECT_EQ(monitor->ownChangeCount(), -1);
    monitor->tick();
    monitor->start();
    monitor->start();
    QSignalSpy captured(monitor.get(), &ClipboardMonitor::captured);
    pasteboard.copy({text("copied after launch")});
    ASSERT_TRUE(captured.wait(5000)) << "the change is noticed without an explicit poll";
    ASSERT_EQ(store.items().size(), 1);
    const ClipItem& item = store.items().first();
    EXPECT_EQ(item.title(), u"copied after launch"_s);
    EXPECT_EQ(item.sourceAppName(), u"Text Editor"_s);
    EXPECT_EQ(item.sourceBundleIdentifier(), u"org.gnome.TextEditor"_s);
    QTest::qWait(2 * ClipboardMonitor::pollIntervalMilliseconds);
    EXPECT_EQ(captured.count(), 1) << "one change, one capture, however often it is polled";
}

TEST_F(ClipboardMonitorTest, CopyMadeWhilePausedIsNeverCapturedLater) {
    launch();
    preferences.setCaptureEnabled(false);
    pasteboard.copy({text("secret while paused")});
    monitor->tick();
    preferences.setCaptureEnabled(true);
    EXPECT_FALSE(poll());
    EXPECT_EQ(store.items().size(), 1);
    EXPECT_TRUE(copyAndPoll({text("after resuming")}));
}

TEST_F(ClipboardMonitorTest, MarkerTypesAreHonouredOnlyWithPrivacyExclusions) {
    launch();
    for (const QString& marker :
         {TypeIdentifier::transient, TypeIdentifier::concealed, TypeIdentifier::autoGenerated}) {
        for (const bool exclusions : {true, false}) {
            SCOPED_TRACE((marker + u" exclusions "_s + (exclusions ? u"on"_s : u"off"_s)).toStdString());
            preferences.setPrivacyExclusionsEnabled(exclusions);
            const bool captured = copyAndPoll({text("hunter2 " + marker.toUtf8())}, {marker});
            EXPECT_EQ(captured, !exclusions);
            if (captured) {
                EXPECT_EQ(lastCapture->isCredential(), marker == TypeIdentifier::concealed)
                    << "a concealed copy is a credential whatever its text";
                EXPECT_EQ(lastCapture->credentialClassification()->detectorVersion, 1);
            }
        }
    }
}

TEST_F(ClipboardMonitorTest, ExcludedApplicationsOnlyWhileExclusionsAreOnAndOwnWindowsNever) {
    preferences.setExcludedBundleIDs(u"org.example.Vault\n  org.example.Other  "_s);
    launch();
    struct Case {
        const char* name;
        std::optional<RunningApplication> application;
        bool capturedWithExclusions;
        bool capturedWithout;
    };
    const Case cases[] = {
        {"listed application", RunningApplication{1, u"Vault"_s, u"org.example.Vault"_s, 11}, false, true},
        {"listed with spaces", RunningApplication{2, u"Other"_s, u"org.example.Other"_s, 12}, false, true},
        {"unlisted application", editor, true, true},
        {"no frontmost application", std::nullopt, true, true},
        {"own identifier", RunningApplication{3, u"Stowline"_s, AppIdentity::applicationIdentifier(), 13}, false,
         false},
        {"own window class", RunningApplication{4, u"Stowline"_s, AppIdentity::executableName(), 14}, false, false},
        {"own process", RunningApplication{5, {}, {}, QCoreApplication::applicationPid()}, false, false},
    };
    for (const Case& c : cases) {
        for (const bool exclusions : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (exclusions ? " exclusions on" : " exclusions off"));
            preferences.setPrivacyExclusionsEnabled(exclusions);
            frontmost.setFrontmost(c.application);
            const bool captured = copyAndPoll({text(QByteArray(c.name) + (exclusions ? " on" : " off"))});
            EXPECT_EQ(captured, exclusions ? c.capturedWithExclusions : c.capturedWithout);
            if (captured) {
                EXPECT_EQ(lastCapture->sourceBundleIdentifier(),
                          c.application ? c.application->bundleIdentifier : std::nullopt);
            }
        }
    }
}

TEST_F(ClipboardMonitorTest, OwnWritesAreSeenButNotCaptured) {
    launch();
    monitor->start();
    ASSERT_TRUE(pasteboard.write({text("written by us")}));
    monitor->markOwnWrite();
    EXPECT_EQ(monitor->lastChangeCount(), pasteboard.changeCount());
    EXPECT_EQ(monitor->ownChangeCount(), pasteboard.changeCount());
    EXPECT_FALSE(poll()) << "the change signal of the write arrives after it was marked";
}

TEST_F(ClipboardMonitorTest, OversizedRepresentationsAreDroppedAndAnOversizedCopyIsIgnored) {
    launch();
    const QByteArray small = png(4, 4);
    ASSERT_TRUE(copyAndPoll({text(QByteArray(9 * 1024 * 1024, 'a')), {0, TypeIdentifier::png, small}}));
    EXPECT_EQ(lastCapture->kind(), ClipKind::image);
    EXPECT_EQ(lastCapture->representations(), (ClipRepresentations{{0, TypeIdentifier::png, small}}));
    EXPECT_EQ(lastCapture->byteCount(), small.size());

    ASSERT_TRUE(copyAndPoll({text(QByteArray(ClipboardMonitor::perRepresentationLimit, 'b'))}))
        << "exactly 8 MiB is accepted";
    EXPECT_EQ(lastCapture->byteCount(), ClipboardMonitor::perRepresentationLimit);

    const QByteArray sixMiB(6 * 1024 * 1024, 'c');
    EXPECT_FALSE(copyAndPoll({text(sixMiB), {0, TypeIdentifier::html, sixMiB}, {0, TypeIdentifier::rtf, sixMiB}}));
}

TEST_F(ClipboardMonitorTest, TextClipsCarryFormatCredentialAndVersions) {
    launch();
    ASSERT_TRUE(copyAndPoll({text("{\"name\": \"stowline\", \"tags\": [1, 2]}")}));
    EXPECT_EQ(lastCapture->kind(), ClipKind::text);
    EXPECT_EQ(lastCapture->textFormat(), TextContentFormat::json);
    EXPECT_EQ(lastCapture->textFormatVersion(), 1);
    EXPECT_EQ(lastCapture->contentMetadataVersion(), 1);
    EXPECT_FALSE(lastCapture->isCredential());
    EXPECT_EQ(lastCapture->thumbnailData(), std::nullopt);
    EXPECT_EQ(lastCapture->lastUsedAt(), lastCapture->createdAt());

    ASSERT_TRUE(copyAndPoll({text("https://example.org/page")}));
    EXPECT_EQ(lastCapture->kind(), ClipKind::link);
    EXPECT_EQ(lastCapture->textFormat(), std::nullopt) << "only plain and rich text get a format";
    EXPECT_EQ(lastCapture->textFormatVersion(), std::nullopt);

    EXPECT_FALSE(copyAndPoll({text(" \n\t ")})) << "white space alone is no clip";
    EXPECT_FALSE(copyAndPoll({text("\xff\xfe not UTF-8")}));
    const QByteArray picture = png(8, 8);
    ASSERT_TRUE(copyAndPoll({text(" \n\t "), {0, TypeIdentifier::png, picture}}));
    EXPECT_EQ(lastCapture->kind(), ClipKind::image);
    EXPECT_EQ(lastCapture->preview(), u" \n\t "_s);
}

TEST_F(ClipboardMonitorTest, HistoryLimitIsReadAtEachCopy) {
    launch();
    preferences.setHistoryLimit(2);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(copyAndPoll({text("limited " + QByteArray::number(i))}));
    EXPECT_EQ(store.items().size(), 2);
    preferences.setHistoryLimit(0);
    ASSERT_TRUE(copyAndPoll({text("unlimited")}));
    EXPECT_EQ(store.items().size(), 4);
}

TEST_F(ClipboardMonitorTest, SeveralFilesMakeOneFileClip) {
    QTemporaryDir files;
    QStringList names{u"a.txt"_s, u"b b.txt"_s, u"c.txt"_s};
    ClipRepresentations representations;
    for (int i = 0; i < names.size(); ++i) {
        QFile file(files.filePath(names[i]));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(10 * (i + 1), 'x'));
        representations.append({i, TypeIdentifier::fileUrl, QUrl::fromLocalFile(file.fileName()).toEncoded()});
    }
    launch();
    ASSERT_TRUE(copyAndPoll(representations));
    EXPECT_EQ(lastCapture->kind(), ClipKind::file);
    EXPECT_EQ(lastCapture->title(), u"3 files"_s);
    EXPECT_EQ(lastCapture->preview(), u"a.txt • b b.txt • c.txt"_s);
    EXPECT_EQ(lastCapture->capturedFileSizeBytes(), 60);
    EXPECT_EQ(lastCapture->thumbnailData(), std::nullopt);

    representations.append({3, TypeIdentifier::fileUrl, QUrl::fromLocalFile(files.path()).toEncoded()});
    ASSERT_TRUE(copyAndPoll(representations));
    EXPECT_EQ(lastCapture->title(), u"4 files"_s);
    EXPECT_EQ(lastCapture->capturedFileSizeBytes(), std::nullopt) << "a folder has no size of its own";
}

TEST_F(ClipboardMonitorTest, ThumbnailsFitWithoutEnlargingAndImagesAreRecognised) {
    launch();
    struct Case {
        QSize image;
        QSize thumbnail;
    };
    const Case cases[] = {
        {{1120, 320}, {560, 160}}, {{100, 50}, {100, 50}}, {{300, 1280}, {75, 320}}, {{5000, 1}, {560, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(u"%1x%2"_s.arg(c.image.width()).arg(c.image.height()).toStdString());
        const QByteArray bytes = png(c.image.width(), c.image.height());
        const auto thumbnail = ClipboardMonitor::makeThumbnail({{0, TypeIdentifier::png, bytes}});
        ASSERT_TRUE(thumbnail);
        QImage decoded;
        ASSERT_TRUE(decoded.loadFromData(*thumbnail, "JPEG"));
        EXPECT_EQ(decoded.size(), c.thumbnail);
    }

    const QByteArray picture = png(1120, 320);
    recognizer.setLines(picture, {u"Invoice 42"_s});
    ASSERT_TRUE(copyAndPoll({{0, TypeIdentifier::png, picture}}));
    ASSERT_TRUE(lastCapture->thumbnailData());
    EXPECT_EQ(QImage::fromData(*lastCapture->thumbnailData()).size(), QSize(560, 160));
    EXPECT_EQ(lastCapture->imagePixelWidth(), 1120);
    EXPECT_EQ(lastCapture->imagePixelHeight(), 320);
    EXPECT_EQ(lastCapture->preview(), u"Image from Text Editor"_s);
    const QUuid id = lastCapture->id();
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.item(id)->textRecognitionVersion() == 1; }, 5000));
    EXPECT_EQ(store.item(id)->recognizedText(), u"Invoice 42"_s);
}

TEST_F(ClipboardMonitorTest, OnlyTheFirstImageIsThumbnailedButAnyGivesThePixelSize) {
    launch();
    const QByteArray broken("\x89PNG\r\n\x1a\n broken", 16);
    ASSERT_TRUE(copyAndPoll({{0, TypeIdentifier::png, broken}, {1, TypeIdentifier::png, png(40, 30)}}));
    EXPECT_EQ(lastCapture->kind(), ClipKind::image);
    EXPECT_EQ(lastCapture->thumbnailData(), std::nullopt);
    EXPECT_EQ(lastCapture->imagePixelWidth(), 40);
    EXPECT_EQ(lastCapture->imagePixelHeight(), 30);
}
