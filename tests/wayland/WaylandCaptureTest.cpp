// The real executable in a headless Wayland session (scripts/with-wayland-session.sh, once with Sway and once with
// KWin), capturing through data-control without a window of its own, driven by real Wayland clients.
#include "tests/e2e/StowlineProcess.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/TestFiles.h"
#include "tests/wayland/WaylandClients.h"

#include "core/archive/StowlineArchive.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QSettings>

#include <gtest/gtest.h>

#include <iostream>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

const QString windowAppId = u"org.stowline.TestWindow"_s;
const QString utf8Text = u"text/plain;charset=utf-8"_s;

bool isKWin() {
    return qEnvironmentVariable("STOWLINE_COMPOSITOR") == u"kwin";
}

QStringList typesOf(const ClipItem& item) {
    QStringList types;
    for (const ClipRepresentation& representation : item.representations())
        types.append(representation.typeIdentifier);
    return types;
}

// A PNG of noise, which does not compress: about `megabytes` MB.
QByteArray noisePng(int megabytes) {
    const int side = int(std::sqrt(megabytes * 1000.0 * 1000.0 / 3.0));
    QImage image(side, side, QImage::Format_RGB888);
    QRandomGenerator random(7);
    for (int y = 0; y < side; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < side * 3; ++x)
            line[x] = uchar(random.bounded(256));
    }
    return encoded(image);
}

class WaylandCapture : public ::testing::Test {
protected:
    bool start(bool privacyExclusions = false) {
        {
            QDir().mkpath(QFileInfo(home.preferencesPath()).path());
            QSettings settings(home.preferencesPath(), QSettings::IniFormat);
            // The current layout: an older one starts over with exclusions off.
            settings.setValue(u"preferencesSchema"_s, 2);
            settings.setValue(u"privacyExclusionsEnabled"_s, privacyExclusions);
        }
        return stowline.startInBackground();
    }
    // The running instance's history as `stowline export` writes it, newest first.
    QList<ClipItem> clips() const {
        const QString path = home.dataHome() + u"/export.json"_s;
        if (stowline.run({u"export"_s, path, u"--force"_s}).exitCode != 0)
            return {};
        auto archive = StowlineArchive::decode(contents(path));
        return archive.ok() ? archive->items : QList<ClipItem>();
    }
    bool reachesCount(qsizetype count) const {
        return waitUntil([&] { return stowline.statusValue(u"clips"_s) == QString::number(count); }, 20000);
    }
    // A plain copy made after the ones a test expects to leave nothing: once it is in, they were looked at.
    bool sentinelArrives(qsizetype count) {
        return clients.copyText("sentinel " + QByteArray::number(count)) && reachesCount(count);
    }

    StowlineHome home;
    StowlineProcess stowline{home};
    WaylandClients clients;
};

TEST_F(WaylandCapture, ReadsThroughDataControlAndNamesTheActiveWindowsApplication) {
    ASSERT_TRUE(start());
    const std::optional<QMap<QString, QString>> status = stowline.status();
    ASSERT_TRUE(status.has_value());
    std::cout << "compositor=" << qPrintable(qEnvironmentVariable("STOWLINE_COMPOSITOR")) << '\n';
    for (auto it = status->cbegin(); it != status->cend(); ++it) {
        if (it.key().startsWith(u"wayland") || it.key() == u"clipboard")
            std::cout << qPrintable(it.key()) << '=' << qPrintable(it.value()) << '\n';
    }
    EXPECT_EQ(status->value(u"clipboard"_s), u"wayland"_s);
    EXPECT_EQ(status->value(u"waylandWlrDataControl"_s) == u"1" || status->value(u"waylandExtDataControl"_s) == u"1",
              true);
    EXPECT_EQ(status->value(isKWin() ? u"waylandPlasmaWindowManagement"_s : u"waylandForeignToplevel"_s), u"1"_s);

    ASSERT_TRUE(clients.openWindow(windowAppId));
    const QByteArray png = encodedImage(40, 30);
    const QByteArray uriList = "file:///tmp/first%20one.txt\r\nfile:///tmp/second.txt\r\n";
    const QByteArray rtf = "{\\rtf1\\ansi {\\b Bold} words}";
    struct Case {
        const char* name;
        QList<QPair<QString, QByteArray>> offer;
        ClipKind kind;
        QStringList types;
    };
    const QList<Case> cases{
        {"text", {}, ClipKind::text, {TypeIdentifier::plainText}},
        {"image with text",
         {{u"image/png"_s, png}, {utf8Text, "caption"}},
         ClipKind::image,
         {TypeIdentifier::plainText, TypeIdentifier::png}},
        {"file list",
         {{u"text/uri-list"_s, uriList}},
         ClipKind::file,
         {TypeIdentifier::fileUrl, TypeIdentifier::fileUrl}},
        {"rich text",
         {{u"text/rtf"_s, rtf}, {utf8Text, "Bold words"}},
         ClipKind::richText,
         {TypeIdentifier::plainText, TypeIdentifier::rtf}},
    };
    qsizetype count = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.offer.isEmpty())
            ASSERT_TRUE(clients.copyText(u"Grüße aus Wayland ✓"_s.toUtf8()));
        else
            ASSERT_NE(clients.offer(c.offer), nullptr);
        ASSERT_TRUE(reachesCount(++count));
        const ClipItem newest = clips().value(0);
        EXPECT_EQ(newest.kind(), c.kind);
        EXPECT_EQ(typesOf(newest), c.types);
        EXPECT_EQ(newest.sourceBundleIdentifier(), windowAppId);
    }
    EXPECT_EQ(clips().value(3).representations().value(0).data, u"Grüße aus Wayland ✓"_s.toUtf8());
    EXPECT_EQ(clips().value(2).representations().value(1).data, png);
}

TEST_F(WaylandCapture, PasswordHintOfAnyValueMakesACredential) {
    ASSERT_TRUE(start(false));
    ASSERT_TRUE(clients.openWindow(windowAppId));
    ASSERT_NE(clients.offer({{utf8Text, "plain words here"}, {u"x-kde-passwordManagerHint"_s, "1"}}), nullptr);
    ASSERT_TRUE(reachesCount(1));
    EXPECT_EQ(clips().value(0).credentialClassification().value_or(CredentialClassification{}).isCredential, true);
}

TEST_F(WaylandCapture, WithExclusionsOnHintedAndExcludedCopiesLeaveNothing) {
    ASSERT_TRUE(start(true));
    ASSERT_TRUE(clients.openWindow(u"org.keepassxc.KeePassXC"_s));
    ASSERT_TRUE(clients.copyText("copied in the password manager"));
    ASSERT_TRUE(clients.openWindow(windowAppId));
    ASSERT_NE(clients.offer({{utf8Text, "hinted secret"}, {u"x-kde-passwordManagerHint"_s, "secret"}}), nullptr);
    ASSERT_TRUE(sentinelArrives(1));
    EXPECT_EQ(titles(clips()), QStringList{u"sentinel 1"_s});
}

TEST_F(WaylandCapture, HostileOwnersNeitherStallNorFillMemory) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(clients.openWindow(windowAppId));
    const qint64 pid = stowline.instance().processId();

    QElapsedTimer idle;
    idle.start();
    EXPECT_TRUE(stowline.status().has_value());
    std::cout << "statusWhenIdle=" << idle.elapsed() << "ms\n";

    // An owner that never answers: the instance answers meanwhile, and gives the copy up at its deadline.
    QProcess* silent = clients.offer({{utf8Text, "never sent"}}, {}, u"--hang"_s);
    ASSERT_NE(silent, nullptr);
    ASSERT_TRUE(WaylandClients::waitForLine(*silent, "asked " + utf8Text.toUtf8()));
    QElapsedTimer answered;
    answered.start();
    EXPECT_TRUE(stowline.status().has_value());
    std::cout << "statusWhileOwnerHangs=" << answered.elapsed() << "ms\n";
    EXPECT_FALSE(silent->property("said").toByteArray().contains("abandoned"));
    EXPECT_TRUE(WaylandClients::waitForLine(*silent, "abandoned " + utf8Text.toUtf8()));

    // An owner that ends in the middle of its answer. A pipe's end of file cannot tell that from a complete
    // answer: a clip of what it gave may be kept, never more, and reading goes on.
    const QByteArray cutShort(200000, 'h');
    QProcess* leaving = clients.offer({{utf8Text, cutShort}}, {}, u"--exit-mid-read"_s);
    ASSERT_NE(leaving, nullptr);
    ASSERT_TRUE(WaylandClients::waitForLine(*leaving, "exiting"));

    // 50 MB: the read stops at the cap, and memory stays bounded.
    const qint64 before = peakResidentBytes(pid);
    QProcess* huge = clients.offer({}, {utf8Text + u":52428800"_s});
    ASSERT_NE(huge, nullptr);
    EXPECT_TRUE(WaylandClients::waitForLine(*huge, "refused " + utf8Text.toUtf8()));
    EXPECT_LT(peakResidentBytes(pid) - before, 32 * 1024 * 1024);

    const QList<ClipItem> captured = clips();
    ASSERT_TRUE(sentinelArrives(captured.size() + 1));
    EXPECT_EQ(clips().value(0).title(), u"sentinel %1"_s.arg(captured.size() + 1));
    ASSERT_LE(captured.size(), 1);
    for (const ClipItem& clip : captured) {
        const QByteArray given = clip.representations().value(0).data;
        EXPECT_TRUE(!given.isEmpty() && cutShort.startsWith(given)) << given.size();
    }
}

TEST_F(WaylandCapture, PutsLargeClipsBackWholeAndAClearedClipboardGivesNoClip) {
    ASSERT_TRUE(start());
    ASSERT_TRUE(clients.openWindow(windowAppId));
    const QByteArray image = noisePng(5);
    const QByteArray text = QByteArray(1024 * 1024, 'w') + "end";
    ASSERT_NE(clients.offer({{u"image/png"_s, image}}), nullptr);
    ASSERT_TRUE(reachesCount(1));
    ASSERT_NE(clients.offer({{utf8Text, text}}), nullptr);
    ASSERT_TRUE(reachesCount(2));

    // A clip put back moves to the top: the other one is second each time.
    ASSERT_EQ(stowline.run({u"copy"_s, u"2"_s}).exitCode, 0);
    EXPECT_EQ(WaylandClients::paste(u"image/png"_s), image);
    ASSERT_EQ(stowline.run({u"copy"_s, u"2"_s}).exitCode, 0);
    EXPECT_EQ(WaylandClients::paste(utf8Text), text);
    EXPECT_EQ(stowline.statusValue(u"clips"_s), u"2"_s);

    ASSERT_TRUE(clients.clear());
    ASSERT_TRUE(sentinelArrives(3));
    EXPECT_EQ(clips().value(1).representations().value(0).data, text);
}

} // namespace
