#include "core/classify/ContentClassifier.h"

#include "core/text/Graphemes.h"
#include "core/text/UrlSyntax.h"
#include "core/text/Utf8.h"
#include "core/text/WhiteSpace.h"

#include <QSet>
#include <QUrl>

#include <openssl/evp.h>

#include <algorithm>
#include <memory>

namespace stowline::ContentClassifier {

ClipKind kind(QStringView text, bool hasRichText) {
    const QStringView trimmedText = WhiteSpace::trimmed(text);
    if (isHexColor(trimmedText))
        return ClipKind::color;
    if (!trimmedText.contains(u'\n') && UrlSyntax::parsesWithScheme(trimmedText))
        return ClipKind::link;
    return hasRichText ? ClipKind::richText : ClipKind::text;
}

bool isHexColor(QStringView text) {
    const QStringView digits = text.startsWith(u'#') ? text.sliced(1) : text;
    // Hexadecimal digits are one code unit and one character each, so the length in code units is the count.
    if (digits.size() != 3 && digits.size() != 4 && digits.size() != 6 && digits.size() != 8)
        return false;
    return std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c.unicode() < 0x80 && isxdigit(c.unicode()); });
}

QString title(QStringView text, ClipKind kind) {
    QString joined = WhiteSpace::collapsed(text, titleLength);
    return joined.isEmpty() ? label(kind) : joined;
}

QString preview(QStringView text, qsizetype limit) {
    return Graphemes::prefix(WhiteSpace::trimmed(text), limit).toString();
}

QString hash(const ClipRepresentations& representations) {
    std::vector<const ClipRepresentation*> sorted;
    sorted.reserve(size_t(representations.size()));
    for (const ClipRepresentation& representation : representations)
        sorted.push_back(&representation);
    std::stable_sort(sorted.begin(), sorted.end(), [](const ClipRepresentation* a, const ClipRepresentation* b) {
        if (a->itemIndex != b->itemIndex)
            return a->itemIndex < b->itemIndex;
        return a->typeIdentifier < b->typeIdentifier;
    });

    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr);
    for (const ClipRepresentation* representation : sorted) {
        const auto index = static_cast<quint64>(representation->itemIndex);
        unsigned char bigEndian[8];
        for (int i = 0; i < 8; ++i)
            bigEndian[i] = static_cast<unsigned char>(index >> (56 - 8 * i));
        EVP_DigestUpdate(context.get(), bigEndian, sizeof bigEndian);
        const QByteArray type = representation->typeIdentifier.toUtf8();
        EVP_DigestUpdate(context.get(), type.constData(), size_t(type.size()));
        EVP_DigestUpdate(context.get(), representation->data.constData(), size_t(representation->data.size()));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), length).toHex());
}

std::optional<QString> plainText(const ClipRepresentations& representations) {
    for (const ClipRepresentation& representation : representations) {
        if (representation.typeIdentifier == TypeIdentifier::plainText)
            return Utf8::decode(representation.data);
    }
    return std::nullopt;
}

qint64 byteCount(const ClipRepresentations& representations) {
    qint64 total = 0;
    for (const ClipRepresentation& representation : representations)
        total += representation.data.size();
    return total;
}

namespace {

std::optional<QString> fileName(const QByteArray& data) {
    const auto text = Utf8::decode(data);
    if (!text)
        return std::nullopt;
    const QUrl url(*text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    QString path = url.path(QUrl::FullyDecoded);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    if (path == u"/")
        return path;
    const QString name = path.sliced(path.lastIndexOf(u'/') + 1);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

bool hasType(const ClipRepresentations& representations, const QString& type) {
    return std::any_of(representations.begin(), representations.end(),
                       [&](const ClipRepresentation& r) { return r.typeIdentifier == type; });
}

} // namespace

std::optional<CaptureDescription> describeCapture(const ClipRepresentations& representations,
                                                  const std::optional<QString>& sourceAppName) {
    const std::optional<QString> text = plainText(representations);
    const bool hasText = text && !text->isEmpty();

    QSet<qint64> fileItems;
    QStringList names;
    for (const ClipRepresentation& representation : representations) {
        if (representation.typeIdentifier != TypeIdentifier::fileUrl)
            continue;
        fileItems.insert(representation.itemIndex);
        if (auto name = fileName(representation.data))
            names.append(*name);
    }
    if (!fileItems.isEmpty()) {
        CaptureDescription file{ClipKind::file, {}, {}, text};
        if (fileItems.size() == 1)
            file.title = names.isEmpty() ? label(ClipKind::file) : names.first();
        else
            file.title = QString::number(fileItems.size()) + u" files";
        if (!names.isEmpty())
            file.preview = names.join(QStringView(fileNameSeparator));
        else
            file.preview = hasText ? *text : file.title;
        return file;
    }

    if (hasType(representations, TypeIdentifier::png) || hasType(representations, TypeIdentifier::tiff)) {
        CaptureDescription image{ClipKind::image, label(ClipKind::image), {}, text};
        if (hasText)
            image.preview = *text;
        else if (sourceAppName)
            image.preview = u"Image from " + *sourceAppName;
        else
            image.preview = QStringLiteral("Image from another app");
        return image;
    }

    if (!text || WhiteSpace::isBlank(*text))
        return std::nullopt;
    const ClipKind textKind = kind(*text, hasType(representations, TypeIdentifier::rtf));
    return CaptureDescription{textKind, title(*text, textKind), preview(*text, capturePreviewLimit), text};
}

} // namespace stowline::ContentClassifier
