#include "core/metadata/ByteCountFormatter.h"
#include "core/metadata/CapturedContentMetadata.h"
#include "core/metadata/ClipPresentationMetadata.h"
#include "core/metadata/ClipboardStatistics.h"

#include "tests/support/ClipBuilders.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;
using Dimensions = CapturedContentMetadata::PixelDimensions;

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, qsizetype size) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(size, 'x'));
    return path;
}

ClipRepresentation fileRepresentation(const QString& path, qint64 itemIndex) {
    return {itemIndex, TypeIdentifier::fileUrl, QUrl::fromLocalFile(path).toEncoded()};
}

} // namespace

TEST(CapturedContentMetadata, SizesOnlyRegularFiles) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString a = writeFile(dir, u"a.bin"_s, 2500);
    const QString b = writeFile(dir, u"b b.txt"_s, 7);
    const QString empty = writeFile(dir, u"empty"_s, 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder"_s));
    ASSERT_TRUE(QFile::link(a, dir.filePath(u"link"_s)));
    const auto url = [](const QString& path) { return QUrl::fromLocalFile(path); };

    const QList<std::pair<QList<QUrl>, std::optional<qint64>>> cases{
        {{}, std::nullopt},
        {{url(a)}, 2500},
        {{url(a), url(b), url(empty)}, 2507},
        {{url(a), url(dir.filePath(u"folder"_s))}, std::nullopt},
        {{url(dir.filePath(u"link"_s))}, std::nullopt},
        {{url(dir.filePath(u"missing"_s))}, std::nullopt},
        {{QUrl(u"https://example.com/a.bin"_s)}, std::nullopt},
    };
    for (const auto& [urls, expected] : cases) {
        SCOPED_TRACE(urls.isEmpty() ? std::string("none") : urls.last().toString().toStdString());
        EXPECT_EQ(CapturedContentMetadata::aggregateRegularFileSize(urls), expected);
    }
}

TEST(CapturedContentMetadata, PixelSizesFromImageHeaders) {
    const QByteArray png = test::encodedImage(37, 21, Qt::darkCyan, "png");
    const QByteArray tiff = test::encodedImage(640, 3, Qt::darkCyan, "tiff");
    ASSERT_FALSE(tiff.isEmpty()) << "TIFF support needs qt6-image-formats-plugins";
    QByteArray damaged = png;
    damaged[16] = char(0x7F); // width inside the header, now failing its checksum
    const QList<std::pair<QByteArray, std::optional<Dimensions>>> cases{
        {png, Dimensions{37, 21}},
        {tiff, Dimensions{640, 3}},
        {damaged, std::nullopt},
        {png.left(20), std::nullopt},
        {test::encodedImage(8, 8, Qt::darkCyan, "bmp"), std::nullopt},
        {QByteArray(), std::nullopt},
        {QByteArray("II*\0garbage", 11), std::nullopt},
    };
    for (qsizetype i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CapturedContentMetadata::imagePixelDimensions(cases[i].first), cases[i].second);
    }
}

TEST(CapturedContentMetadata, UpgradeDerivesMissingFieldsOnce) {
    QTemporaryDir dir;
    const QString a = writeFile(dir, u"a"_s, 2500);
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder"_s));
    QByteArray damagedPng = test::encodedImage(5, 5, Qt::darkCyan, "png");
    damagedPng[16] = char(0x7F);

    const ClipItem text = test::textClip(u"hello"_s);
    ClipItem file = test::clipOf(ClipKind::file, {fileRepresentation(a, 0), {1, TypeIdentifier::fileUrl, "\xff"}});
    ClipItem mixed =
        test::clipOf(ClipKind::file, {fileRepresentation(a, 0), fileRepresentation(dir.filePath(u"folder"_s), 1)});
    ClipItem sized = test::clipOf(ClipKind::file, {fileRepresentation(a, 0)});
    sized.setCapturedFileSizeBytes(99);
    ClipItem image =
        test::clipOf(ClipKind::image, {{0, TypeIdentifier::png, damagedPng},
                                       {0, u"public.jpeg"_s, test::encodedImage(9, 9, Qt::darkCyan, "png")},
                                       {0, TypeIdentifier::tiff, test::encodedImage(300, 200, Qt::darkCyan, "tiff")}});
    ClipItem current = test::clipOf(ClipKind::file, {fileRepresentation(a, 0)});
    current.setContentMetadataVersion(1);
    ClipItem textWithoutVersion = text;
    textWithoutVersion.setContentMetadataVersion(std::nullopt);

    const auto first = CapturedContentMetadata::upgrade({textWithoutVersion, file, mixed, sized, image, current});
    EXPECT_TRUE(first.changed);
    ASSERT_EQ(first.items.size(), 6);
    ClipItem expectedText = textWithoutVersion;
    expectedText.setContentMetadataVersion(1);
    EXPECT_EQ(first.items[0], expectedText);
    EXPECT_EQ(first.items[1].capturedFileSizeBytes(), 2500);
    EXPECT_EQ(first.items[2].capturedFileSizeBytes(), std::nullopt);
    EXPECT_EQ(first.items[3].capturedFileSizeBytes(), 99);
    EXPECT_EQ(first.items[4].imagePixelWidth(), 300);
    EXPECT_EQ(first.items[4].imagePixelHeight(), 200);
    EXPECT_EQ(first.items[5], current);
    for (const ClipItem& item : first.items)
        EXPECT_EQ(item.contentMetadataVersion(), 1);
    EXPECT_EQ(ClipPresentationMetadata::detail(first.items[2]), u"Size unavailable"_s);
    EXPECT_EQ(ClipPresentationMetadata::detail(first.items[4]), u"300\u00D7200 px"_s);

    const auto second = CapturedContentMetadata::upgrade(first.items);
    EXPECT_FALSE(second.changed);
    EXPECT_EQ(second.items, first.items);

    ClipItem onlyDamaged = test::clipOf(ClipKind::image, {{0, TypeIdentifier::png, damagedPng}});
    const auto unreadable = CapturedContentMetadata::upgrade({onlyDamaged});
    EXPECT_EQ(unreadable.items[0].imagePixelWidth(), std::nullopt);
    EXPECT_EQ(ClipPresentationMetadata::detail(unreadable.items[0]), u"Resolution unavailable"_s);
}

TEST(ClipPresentationMetadata, DetailTexts) {
    ClipItem file = test::clipOf(ClipKind::file, {});
    EXPECT_EQ(ClipPresentationMetadata::detail(file), u"Size unavailable"_s);
    file.setCapturedFileSizeBytes(-1);
    EXPECT_EQ(ClipPresentationMetadata::detail(file), u"Size unavailable"_s);
    file.setCapturedFileSizeBytes(2500);
    EXPECT_EQ(ClipPresentationMetadata::detail(file), ByteCountFormatter::string(2500));
    ClipItem image = test::clipOf(ClipKind::image, {});
    image.setImagePixelWidth(1920);
    EXPECT_EQ(ClipPresentationMetadata::detail(image), u"Resolution unavailable"_s);
    image.setImagePixelHeight(1080);
    EXPECT_EQ(ClipPresentationMetadata::detail(image), u"1920\u00D71080 px"_s);
    image.setImagePixelHeight(0);
    EXPECT_EQ(ClipPresentationMetadata::detail(image), u"Resolution unavailable"_s);
    EXPECT_EQ(ClipPresentationMetadata::detail(test::textClip(u"x"_s)), std::nullopt);
}

TEST(ByteCountFormatter, DecimalFileStyle) {
    const QLocale c = QLocale::c();
    const QList<std::pair<qint64, QString>> cases{
        {0, u"Zero KB"_s},
        {1, u"1 byte"_s},
        {999, u"999 bytes"_s},
        {1000, u"1 KB"_s},
        {2500, u"3 KB"_s},
        {999499, u"999 KB"_s},
        {999500, u"1 MB"_s},
        {1500000, u"1.5 MB"_s},
        {2000000, u"2 MB"_s},
        {1234567890, u"1.23 GB"_s},
        {1200000000, u"1.2 GB"_s},
        {-2500, u"-3 KB"_s},
        {std::numeric_limits<qint64>::max(), u"9.22 EB"_s},
        {std::numeric_limits<qint64>::min(), u"-9.22 EB"_s},
    };
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(ByteCountFormatter::string(bytes, c), expected);
    }
    EXPECT_EQ(ByteCountFormatter::string(1500000, QLocale(QLocale::German)), u"1,5 MB"_s);
}

TEST(ClipboardStatistics, SumsPerKind) {
    const ClipboardStatistics empty{QList<ClipItem>()};
    EXPECT_EQ(empty, ClipboardStatistics());
    EXPECT_EQ(empty.totalItems + empty.capturedContentBytes + empty.imageCount + empty.imageContentBytes +
                  empty.fileCount + empty.capturedFileBytes,
              0);
    ClipItem sizedFile = test::clipOf(ClipKind::file, {}, 40);
    sizedFile.setCapturedFileSizeBytes(5000);
    const QList<ClipItem> items{test::clipOf(ClipKind::image, {}, 10), test::clipOf(ClipKind::file, {}, 30), sizedFile,
                                test::textClip(u"abc"_s)};
    const ClipboardStatistics statistics(items);
    EXPECT_EQ(statistics.totalItems, 4);
    EXPECT_EQ(statistics.capturedContentBytes, 10 + 30 + 40 + items[3].byteCount());
    EXPECT_EQ(statistics.imageCount, 1);
    EXPECT_EQ(statistics.imageContentBytes, 10);
    EXPECT_EQ(statistics.fileCount, 2);
    EXPECT_EQ(statistics.capturedFileBytes, 5000);
}
