#include "bench/SyntheticHistory.h"

#include <QCryptographicHash>
#include <QStringList>

#include <random>

using namespace Qt::StringLiterals;

namespace stowline::bench {

namespace {

const QStringList& vocabulary() {
    static const QStringList words = [] {
        QStringList list{u"report"_s,   u"memo"_s,         u"draft"_s,
                         u"invoice"_s,  u"meeting"_s,      u"café"_s,
                         u"résumé"_s,   u"naïve"_s,        u"Straße"_s,
                         u"Ångström"_s, u"東京"_s,         u"中文"_s,
                         u"検索"_s,     u"履歴"_s,         u"クリップ"_s,
                         u"ＡＢＣ"_s,   u"ｄｒａｆｔ"_s,   u"１２３"_s,
                         u"ﾃｷｽﾄ"_s,     u"Ｒｅｐｏｒｔ"_s, u"https://example.org/path"_s,
                         u"function"_s, u"return"_s,       u"SELECT"_s,
                         u"déjà"_s};
        // Filler words make the named ones rarer, as in real text.
        for (int i = 0; i < 200; ++i)
            list << u"word"_s + QString::number(i, 36);
        return list;
    }();
    return words;
}

QString sentence(std::mt19937& random, int maxLength) {
    const QStringList& words = vocabulary();
    const int target = 1 + int(random() % unsigned(maxLength));
    QString text;
    while (text.size() < target) {
        if (!text.isEmpty())
            text += u' ';
        text += words[qsizetype(random() % size_t(words.size()))];
    }
    text.truncate(target);
    return text;
}

} // namespace

ClipItem syntheticClip(int serial, unsigned salt, Timestamp lastUsedAt) {
    std::mt19937 random(salt ^ unsigned(serial) * 2654435761u);
    const QString preview = sentence(random, 800);
    const QString title = preview.left(1 + qsizetype(random() % 80));
    const QByteArray data = preview.toUtf8();
    // Shaped as a capture's hash (64 hex digits), yet distinct for every serial even where two texts are alike.
    const QByteArray identity = QByteArray::number(salt) + '-' + QByteArray::number(serial);
    const QString hash = QString::fromLatin1(QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex());
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = lastUsedAt,
                     .kind = ClipKind::text,
                     .isFavorite = serial % 50 == 0,
                     .title = title,
                     .preview = preview,
                     .sourceAppName = u"Editor"_s,
                     .sourceBundleIdentifier = u"org.example.Editor"_s,
                     .contentHash = hash,
                     .byteCount = data.size(),
                     .representations = {ClipRepresentation{0, TypeIdentifier::plainText, data}}});
}

QList<ClipItem> syntheticHistory(int count, unsigned salt) {
    QList<ClipItem> items;
    items.reserve(count);
    for (int i = 0; i < count; ++i)
        items.append(syntheticClip(i, salt, Timestamp{double(i)}));
    return items;
}

ClipItem syntheticImageClip(const QByteArray& pixels, int serial, const QString& contentHash) {
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = Timestamp{double(serial)},
                     .kind = ClipKind::image,
                     .title = u"Image"_s,
                     .preview = u"Image from Screenshot"_s,
                     .sourceAppName = u"Screenshot"_s,
                     .sourceBundleIdentifier = u"org.gnome.Screenshot"_s,
                     .contentHash = contentHash,
                     .byteCount = pixels.size(),
                     .representations = {{0, TypeIdentifier::png, pixels}}});
}

} // namespace stowline::bench
