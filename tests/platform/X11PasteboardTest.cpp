#include "app/platform/x11/X11Pasteboard.h"

#include "tests/platform/XClients.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/TestClipboardOwner.h"
#include "tests/support/TestFiles.h"

#include <QFile>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

const PasteboardReadLimits kMonitorLimits{8 * 1024 * 1024, 16 * 1024 * 1024, {}};

QByteArray encodedImage(const char* format) {
    QImage image(64, 32, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QPainter(&image).fillRect(8, 8, 16, 16, Qt::yellow);
    return test::encoded(image, format);
}

// Another application copies; returns once this process has seen the change.
void copyAndWait(X11Pasteboard& pasteboard, const QString& target, const QByteArray& data) {
    const qint64 before = pasteboard.changeCount();
    copyWithXclip(target, data);
    ASSERT_TRUE(waitUntil([&] { return pasteboard.changeCount() > before; })) << target.toStdString();
}

// Asks for the entry and waits for the answer, which describes the change seen at the request or a later one.
PasteboardSnapshot snapshotOf(X11Pasteboard& pasteboard, const PasteboardReadLimits& limits = kMonitorLimits) {
    const qint64 seen = pasteboard.changeCount();
    std::optional<PasteboardSnapshot> answer;
    const auto connection = QObject::connect(&pasteboard, &Pasteboard::snapshotReady, &pasteboard,
                                             [&](const PasteboardSnapshot& snapshot) { answer = snapshot; });
    pasteboard.requestSnapshot(limits);
    EXPECT_FALSE(answer) << "the answer never comes from inside the request";
    EXPECT_TRUE(waitUntil([&] { return answer.has_value(); }));
    QObject::disconnect(connection);
    EXPECT_GE(answer.value_or(PasteboardSnapshot{}).changeCount, seen);
    return answer.value_or(PasteboardSnapshot{});
}

ClipRepresentations read(X11Pasteboard& pasteboard, const PasteboardReadLimits& limits = kMonitorLimits) {
    return snapshotOf(pasteboard, limits).representations;
}

} // namespace

TEST(X11Pasteboard, ChangeCounterMovesOnEveryCopyAndOwnWrite) {
    X11Pasteboard pasteboard;
    int signals = 0;
    QObject::connect(&pasteboard, &Pasteboard::changed, &pasteboard, [&] { ++signals; });
    const qint64 start = pasteboard.changeCount();

    copyAndWait(pasteboard, u"UTF8_STRING"_s, "first");
    const qint64 afterFirst = pasteboard.changeCount();
    copyAndWait(pasteboard, u"UTF8_STRING"_s, "second");
    EXPECT_GT(pasteboard.changeCount(), afterFirst);

    EXPECT_FALSE(snapshotOf(pasteboard).isOwnWrite);

    // Own writes move the counter too, and their entry is known as ours by its owner.
    const qint64 beforeWrite = pasteboard.changeCount();
    ASSERT_TRUE(pasteboard.write({{0, TypeIdentifier::plainText, "own"}}));
    ASSERT_TRUE(waitUntil([&] { return pasteboard.changeCount() > beforeWrite; }));
    const PasteboardSnapshot own = snapshotOf(pasteboard);
    EXPECT_TRUE(own.isOwnWrite);
    EXPECT_TRUE(own.representations.isEmpty()) << "our own entry is not read back";
    EXPECT_EQ(signals, pasteboard.changeCount() - start);
}

TEST(X11Pasteboard, ReadsEachX11TypeUnderItsTypeIdentifier) {
    struct Case {
        QString target;
        QByteArray data;
        QString identifier;
    };
    const QList<Case> cases{
        {u"UTF8_STRING"_s, "Grüße aus Köln", TypeIdentifier::plainText},
        {u"text/plain;charset=utf-8"_s, "only the charset type", TypeIdentifier::plainText},
        {u"text/plain"_s, "plain", TypeIdentifier::plainText},
        {u"text/html"_s, "<p>Hello <b>world</b></p>", TypeIdentifier::html},
        {u"text/rtf"_s, "{\\rtf1\\ansi Hello}", TypeIdentifier::rtf},
        {u"application/rtf"_s, "{\\rtf1\\ansi Other}", TypeIdentifier::rtf},
        {u"image/png"_s, encodedImage("PNG"), TypeIdentifier::png},
        {u"image/tiff"_s, encodedImage("TIFF"), TypeIdentifier::tiff},
    };
    X11Pasteboard pasteboard;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        copyAndWait(pasteboard, c.target, c.data);
        const PasteboardSnapshot snapshot = snapshotOf(pasteboard);
        const ClipRepresentations expected{{0, c.identifier, c.data}};
        EXPECT_EQ(snapshot.representations, expected);
        EXPECT_TRUE(snapshot.markerTypes.isEmpty());
    }
}

TEST(X11Pasteboard, UriListGivesOneItemPerFileAndSkipsOtherSchemes) {
    X11Pasteboard pasteboard;
    copyAndWait(pasteboard, u"text/uri-list"_s,
                "# copied by a file manager\r\nfile:///tmp/first%20file.txt\r\nhttps://example.com/page\r\n"
                "file:///home/user/Pictures/second.png\r\n");
    const ClipRepresentations expected{{0, TypeIdentifier::fileUrl, "file:///tmp/first%20file.txt"},
                                       {1, TypeIdentifier::fileUrl, "file:///home/user/Pictures/second.png"}};
    EXPECT_EQ(read(pasteboard), expected);

    copyAndWait(pasteboard, u"text/uri-list"_s, "https://example.com/only-a-link\r\n");
    EXPECT_TRUE(read(pasteboard).isEmpty());
}

TEST(X11Pasteboard, ReportsMarkerTypes) {
    struct Case {
        QString target;
        QByteArray data;
        QString offered; // empty: no marker
    };
    const QList<Case> cases{
        {u"x-kde-passwordManagerHint"_s, "secret", TypeIdentifier::concealed},
        {u"x-kde-passwordManagerHint"_s, "1", TypeIdentifier::concealed},
        {TypeIdentifier::concealed, "1", TypeIdentifier::concealed},
        {TypeIdentifier::transient, "1", TypeIdentifier::transient},
        {TypeIdentifier::autoGenerated, "1", TypeIdentifier::autoGenerated},
        {u"UTF8_STRING"_s, "ordinary text", QString()},
    };
    X11Pasteboard pasteboard;
    for (const Case& c : cases) {
        SCOPED_TRACE((c.target + u' ' + QString::fromUtf8(c.data)).toStdString());
        copyAndWait(pasteboard, c.target, c.data);
        const PasteboardSnapshot snapshot = snapshotOf(pasteboard);
        EXPECT_EQ(snapshot.markerTypes, c.offered.isEmpty() ? QSet<QString>() : QSet<QString>{c.offered});
    }
}

TEST(X11Pasteboard, AMarkerTheCallerSkipsLeavesTheDataUnread) {
    X11Pasteboard pasteboard;
    const qint64 before = pasteboard.changeCount();
    const TestClipboardOwner owner({{u"x-kde-passwordManagerHint"_s, "1"}, {u"UTF8_STRING"_s, "hunter2"}});
    ASSERT_TRUE(owner.isReady());
    ASSERT_TRUE(waitUntil([&] { return pasteboard.changeCount() > before; }));
    const PasteboardSnapshot read = snapshotOf(pasteboard);
    EXPECT_EQ(read.markerTypes, QSet<QString>{TypeIdentifier::concealed});
    EXPECT_EQ(read.representations, (ClipRepresentations{{0, TypeIdentifier::plainText, "hunter2"}}));
    const PasteboardSnapshot skipped = snapshotOf(pasteboard, {1024, 4096, {TypeIdentifier::concealed}});
    EXPECT_EQ(skipped.markerTypes, QSet<QString>{TypeIdentifier::concealed});
    EXPECT_TRUE(skipped.representations.isEmpty());
}

TEST(X11Pasteboard, DropsOversizedRepresentationsAndOversizedEntries) {
    X11Pasteboard pasteboard;
    const QByteArray nineMiB(9 * 1024 * 1024, 'a');
    copyAndWait(pasteboard, u"UTF8_STRING"_s, nineMiB);
    EXPECT_TRUE(read(pasteboard).isEmpty());

    // Exactly the per-representation cap is accepted; one byte more over the total cap abandons the entry.
    const QByteArray exactly(1024, 'b');
    copyAndWait(pasteboard, u"UTF8_STRING"_s, exactly);
    EXPECT_EQ(read(pasteboard, {1024, 4096, {}}).size(), 1);
    EXPECT_TRUE(read(pasteboard, {1023, 4096, {}}).isEmpty());
    EXPECT_TRUE(read(pasteboard, {1024, 1023, {}}).isEmpty());

    // Within one entry a too-large type is dropped while the others stay.
    const qint64 beforeOwner = pasteboard.changeCount();
    const TestClipboardOwner owner({{u"UTF8_STRING"_s, nineMiB}, {u"text/rtf"_s, "{\\rtf1 x}"}});
    ASSERT_TRUE(owner.isReady());
    ASSERT_TRUE(waitUntil([&] { return pasteboard.changeCount() > beforeOwner; }));
    const ClipRepresentations expected{{0, TypeIdentifier::rtf, "{\\rtf1 x}"}};
    EXPECT_EQ(read(pasteboard), expected);
}

TEST(X11Pasteboard, WritesOneOfferThatOtherApplicationsRead) {
    X11Pasteboard pasteboard;
    const QByteArray png = encodedImage("PNG");
    const ClipRepresentations clip{
        {2, TypeIdentifier::fileUrl, "file:///tmp/third.txt"},
        {0, TypeIdentifier::plainText, "Grüße"},
        {0, TypeIdentifier::html, "<i>Grüße</i>"},
        {0, TypeIdentifier::png, png},
        {0, TypeIdentifier::concealed, "1"},
        {0, TypeIdentifier::fileUrl, "file:///tmp/first.txt"},
        {1, TypeIdentifier::fileUrl, "file:///tmp/second%20one.txt"},
    };
    ASSERT_TRUE(pasteboard.write(clip));

    struct Case {
        QString target;
        QByteArray expected;
    };
    const QList<Case> cases{
        {u"UTF8_STRING"_s, "Grüße"},
        {u"text/plain;charset=utf-8"_s, "Grüße"},
        {u"text/html"_s, "<i>Grüße</i>"},
        {u"image/png"_s, png},
        {u"text/uri-list"_s, "file:///tmp/first.txt\r\nfile:///tmp/second%20one.txt\r\nfile:///tmp/third.txt\r\n"},
        {u"x-special/gnome-copied-files"_s,
         "copy\nfile:///tmp/first.txt\nfile:///tmp/second%20one.txt\nfile:///tmp/third.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        EXPECT_EQ(pasteWithXclip(c.target), c.expected);
    }
    const QByteArray targets = pasteWithXclip(u"TARGETS"_s);
    EXPECT_FALSE(targets.contains("ConcealedType")) << targets.constData();
}

TEST(X11Pasteboard, WriteOfNothingWritableLeavesTheEntryAlone) {
    X11Pasteboard pasteboard;
    copyAndWait(pasteboard, u"UTF8_STRING"_s, "keep me");
    const qint64 before = pasteboard.changeCount();
    const QList<ClipRepresentations> unwritable{
        {},
        {{0, TypeIdentifier::concealed, "1"}, {0, u"com.example.private"_s, "x"}},
        {{0, TypeIdentifier::plainText, QByteArray("\xff\xfe", 2)}},
        {{0, TypeIdentifier::fileUrl, "https://example.com/not-a-file"}},
    };
    for (const ClipRepresentations& representations : unwritable) {
        SCOPED_TRACE(representations.size());
        EXPECT_FALSE(pasteboard.write(representations));
    }
    EXPECT_EQ(pasteboard.changeCount(), before);
    EXPECT_EQ(pasteWithXclip(u"UTF8_STRING"_s), "keep me");
}

// Whatever the owner does, the answer comes through the event loop after what the GUI thread queued meanwhile, and
// holds each type's own data or nothing.
TEST(X11Pasteboard, HostileOwnersNeverHoldUpTheCallerNorShiftData) {
    struct Case {
        const char* name;
        QList<QPair<QString, QByteArray>> targets;
        QStringList options;
        ClipRepresentations expected;
    };
    const QList<Case> cases{
        {"never answers", {{u"UTF8_STRING"_s, "never served"}}, {u"--never-answer"_s}, {}},
        {"768 MiB beside a text",
         {{u"UTF8_STRING"_s, "beside a huge offer"}, {u"text/html"_s, "@805306368"}},
         {},
         {{0, TypeIdentifier::plainText, "beside a huge offer"}}},
        {"20,000 targets",
         {{u"text/html"_s, "<i>crowded</i>"}},
         {u"--extra-targets=20000"_s},
         {{0, TypeIdentifier::html, "<i>crowded</i>"}}},
    };
    // Short, so the silent owner is given up within the test; a slow owner's own case is end to end.
    X11Pasteboard pasteboard(std::chrono::milliseconds(1500));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 before = pasteboard.changeCount();
        const qint64 peakBefore = peakResidentBytes();
        const TestClipboardOwner owner(c.targets, c.options);
        ASSERT_TRUE(owner.isReady());
        ASSERT_TRUE(waitUntil([&] { return pasteboard.changeCount() > before; }));

        std::optional<PasteboardSnapshot> answer;
        bool answeredBeforeSentinel = true;
        const auto connection = QObject::connect(&pasteboard, &Pasteboard::snapshotReady, &pasteboard,
                                                 [&](const PasteboardSnapshot& snapshot) { answer = snapshot; });
        pasteboard.requestSnapshot(kMonitorLimits);
        QMetaObject::invokeMethod(
            &pasteboard, [&] { answeredBeforeSentinel = answer.has_value(); }, Qt::QueuedConnection);
        ASSERT_TRUE(waitUntil([&] { return answer.has_value(); }));
        QObject::disconnect(connection);
        EXPECT_FALSE(answeredBeforeSentinel);
        EXPECT_EQ(answer->representations, c.expected);
        EXPECT_LT(peakResidentBytes() - peakBefore, 64 * 1024 * 1024) << "a read stops at the caps";
    }
}
