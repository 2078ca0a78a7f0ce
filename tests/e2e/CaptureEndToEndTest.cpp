#include "tests/e2e/ClipboardClients.h"
#include "tests/e2e/StowlineProcess.h"
#include "tests/support/TestFiles.h"

#include "core/archive/StowlineArchive.h"

#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QUrl>

#include <gtest/gtest.h>

#include <signal.h>

using namespace Qt::StringLiterals;
using namespace stowline;
using namespace stowline::test;

namespace {

bool reachesCount(const StowlineProcess& stowline, qsizetype count) {
    return waitUntil([&] { return stowline.statusValue(u"clips"_s) == QString::number(count); });
}

// The running instance's history as `stowline export` writes it.
QList<ClipItem> exported(const StowlineHome& home, const StowlineProcess& stowline) {
    const QString path = home.dataHome() + u"/export.json"_s;
    const Finished run = stowline.run({u"export"_s, path, u"--force"_s});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    EXPECT_EQ(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
    auto archive = StowlineArchive::decode(file.readAll());
    EXPECT_TRUE(archive.ok());
    return archive.ok() ? archive->items : QList<ClipItem>();
}

QByteArray renderedWords() {
    QImage image(900, 220, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(64);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(image.rect(), Qt::AlignCenter, u"Harbour lantern"_s);
    painter.end();
    return test::encoded(image);
}

std::string storedTypes(const ClipItem& item) {
    QStringList types;
    for (const ClipRepresentation& representation : item.representations())
        types.append(representation.typeIdentifier);
    return types.join(u' ').toStdString();
}
} // namespace

TEST(CaptureEndToEnd, EveryKindIsCapturedButNotWhatWasThereAtLaunch) {
    StowlineHome home;
    ClipboardClients clients;
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "on the clipboard before the start"));
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());

    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "plain words"));
    ASSERT_TRUE(reachesCount(stowline, 1));
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "https://example.org/stowline"));
    ASSERT_TRUE(reachesCount(stowline, 2));
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "#ff8800"));
    ASSERT_TRUE(reachesCount(stowline, 3));
    ASSERT_TRUE(clients.copyFromWindow(u"stowline-e2e-writer"_s, {{u"text/rtf"_s, "{\\rtf1\\ansi {\\b rich} words}"},
                                                                  {u"text/plain"_s, "rich words"}}));
    ASSERT_TRUE(reachesCount(stowline, 4));
    QTemporaryDir files;
    QByteArray uris;
    for (const QString& name : {u"first.txt"_s, u"second.txt"_s}) {
        QFile file(files.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("content");
        uris += QUrl::fromLocalFile(file.fileName()).toEncoded() + "\r\n";
    }
    ASSERT_TRUE(clients.copyFromWindow(u"stowline-e2e-writer"_s, {{u"text/uri-list"_s, uris}}));
    ASSERT_TRUE(reachesCount(stowline, 5));
    const QByteArray png = renderedWords();
    ASSERT_TRUE(clients.copyWithXclip(u"image/png"_s, png));
    ASSERT_TRUE(reachesCount(stowline, 6));

    const QStringList clips = stowline.listedKindsAndTitles();
    ASSERT_EQ(clips.size(), 6);
    EXPECT_TRUE(clips[0].startsWith(u"image\t"_s)) << clips[0].toStdString();
    EXPECT_EQ(clips.mid(1), (QStringList{u"file\t2 files"_s, u"richText\trich words"_s, u"color\t#ff8800"_s,
                                         u"link\thttps://example.org/stowline"_s, u"text\tplain words"_s}));

    // The image gets a thumbnail at once and its words once recognition has run.
    QList<ClipItem> items;
    ASSERT_TRUE(waitUntil(
        [&] {
            items = exported(home, stowline);
            return !items.isEmpty() && items.first().recognizedText().has_value();
        },
        30'000));
    ASSERT_TRUE(items.first().thumbnailData().has_value());
    EXPECT_FALSE(QImage::fromData(*items.first().thumbnailData()).isNull());
    EXPECT_TRUE(items.first().recognizedText()->contains(u"Harbour"_s))
        << items.first().recognizedText()->toStdString();
    EXPECT_TRUE(items.first().recognizedText()->contains(u"lantern"_s));
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}

// GTK and Qt owners offer an image in every format their toolkit can write, each encoded on request: only the PNG
// is taken, so the image is stored once.
TEST(CaptureEndToEnd, GtkAndQtOwnersAreCapturedWithOneImageEach) {
    StowlineHome home;
    ClipboardClients clients;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    const QString text = u"Grüße aus Köln — 東京 ✓"_s;
    ASSERT_TRUE(clients.copyTextWithGtk(text));
    ASSERT_TRUE(reachesCount(stowline, 1));
    ASSERT_TRUE(clients.copyImageWithGtk(test::encodedImage(1120, 320)));
    EXPECT_TRUE(ClipboardClients::paste(u"TARGETS"_s).contains("image/tiff"));
    ASSERT_TRUE(reachesCount(stowline, 2));
    QTemporaryDir folder;
    const QList<QPair<QString, qsizetype>> files{{u"Übersicht 2024.txt"_s, 1234}, {u"notes.md"_s, 56}};
    QStringList paths;
    for (const auto& [name, size] : files) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, 'f'));
        paths.append(file.fileName());
    }
    ASSERT_TRUE(clients.copyFilesWithGtk(paths));
    ASSERT_TRUE(reachesCount(stowline, 3));
    ASSERT_TRUE(
        clients.copyFromWindow(u"stowline-e2e-writer"_s, {{u"application/x-qt-image"_s, test::encodedImage(100, 50)}}));
    EXPECT_TRUE(ClipboardClients::paste(u"TARGETS"_s).contains("image/tiff"));
    ASSERT_TRUE(reachesCount(stowline, 4));

    const QList<ClipItem> items = exported(home, stowline);
    ASSERT_EQ(items.size(), 4);
    const ClipItem& gtkText = items[3];
    EXPECT_EQ(gtkText.kind(), ClipKind::text);
    EXPECT_EQ(gtkText.representations().value(0).data.toStdString(), text.toStdString());
    EXPECT_EQ(storedTypes(gtkText), "public.utf8-plain-text");

    const ClipItem& gtkFiles = items[1];
    EXPECT_EQ(gtkFiles.kind(), ClipKind::file);
    EXPECT_EQ(gtkFiles.title(), u"2 files"_s);
    EXPECT_EQ(gtkFiles.preview(), u"Übersicht 2024.txt • notes.md"_s);
    EXPECT_EQ(gtkFiles.capturedFileSizeBytes(), 1234 + 56);
    // The paths GTK file managers also offer as text stay beside the files.
    EXPECT_EQ(storedTypes(gtkFiles), "public.utf8-plain-text public.file-url public.file-url");

    const struct {
        const char* owner;
        const ClipItem& item;
        QSize pixels;
        QSize thumbnail;
    } images[] = {{"GTK", items[2], {1120, 320}, {560, 160}}, {"Qt", items[0], {100, 50}, {100, 50}}};
    for (const auto& image : images) {
        SCOPED_TRACE(image.owner);
        EXPECT_EQ(image.item.kind(), ClipKind::image);
        EXPECT_EQ(storedTypes(image.item), "public.png");
        EXPECT_EQ(QSize(image.item.imagePixelWidth().value_or(0), image.item.imagePixelHeight().value_or(0)),
                  image.pixels);
        EXPECT_EQ(QImage::fromData(image.item.thumbnailData().value_or(QByteArray())).size(), image.thumbnail);
    }
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}

TEST(CaptureEndToEnd, ARestoredClipIsNotCapturedAgainAndPastesIntoAnotherWindow) {
    StowlineHome home;
    ClipboardClients clients;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "the older clip"));
    ASSERT_TRUE(reachesCount(stowline, 1));
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "the newer clip"));
    ASSERT_TRUE(reachesCount(stowline, 2));

    ASSERT_TRUE(clients.openPasteTarget());
    const Finished copied = stowline.run({u"copy"_s, u"2"_s, u"--paste"_s});
    ASSERT_EQ(copied.exitCode, 0) << copied.errors.toStdString();
    EXPECT_EQ(ClipboardClients::paste(u"UTF8_STRING"_s), "the older clip");
    EXPECT_TRUE(clients.pasteTargetShows(u"the older clip"_s));

    // The application's own write added nothing: a later copy is the third clip.
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "a later copy"));
    ASSERT_TRUE(reachesCount(stowline, 3));
    EXPECT_EQ(stowline.listedKindsAndTitles().value(0), u"text\ta later copy"_s);
    const Finished outOfRange = stowline.run({u"copy"_s, u"4"_s});
    EXPECT_EQ(outOfRange.exitCode, 1);
    EXPECT_TRUE(outOfRange.errors.contains(u"no clip 4"_s));
    EXPECT_EQ(stowline.run({u"quit"_s}).exitCode, 0);
}

TEST(CaptureEndToEnd, ATerminationSignalSavesWhatWasCaptured) {
    StowlineHome home;
    ClipboardClients clients;
    StowlineProcess stowline(home);
    ASSERT_TRUE(stowline.startInBackground());
    ASSERT_TRUE(clients.copyWithXclip(u"UTF8_STRING"_s, "saved at the signal"));
    ASSERT_TRUE(reachesCount(stowline, 1));
    ::kill(pid_t(stowline.instance().processId()), SIGTERM);
    ASSERT_TRUE(stowline.waitForInstanceToEnd());
    EXPECT_EQ(stowline.instance().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(stowline.instance().exitCode(), 0);
    // Without a running instance `list` reads the archive the instance left.
    EXPECT_EQ(stowline.listedKindsAndTitles(), QStringList{u"text\tsaved at the signal"_s});
}
