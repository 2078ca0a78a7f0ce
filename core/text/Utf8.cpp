#include "core/text/Utf8.h"

#include "core/text/Graphemes.h"
#include "core/text/WhiteSpace.h"

#include <QStringDecoder>

#include <simdjson.h>

namespace stowline::Utf8 {

std::optional<QString> decode(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

namespace {

// The scalar starting at `i` of valid UTF-8 and its length in bytes.
char32_t scalarAt(QByteArrayView bytes, qsizetype i, qsizetype& length) {
    const auto b = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = b(i);
    if (lead < 0x80) {
        length = 1;
        return lead;
    }
    if (lead < 0xE0) {
        length = 2;
        return ((lead & 0x1F) << 6) | (b(i + 1) & 0x3F);
    }
    if (lead < 0xF0) {
        length = 3;
        return ((lead & 0x0F) << 12) | ((b(i + 1) & 0x3F) << 6) | (b(i + 2) & 0x3F);
    }
    length = 4;
    return ((lead & 0x07) << 18) | ((b(i + 1) & 0x3F) << 12) | ((b(i + 2) & 0x3F) << 6) | (b(i + 3) & 0x3F);
}

bool isContinuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

std::optional<QString> decodeTrimmedPrefix(QByteArrayView bytes, qsizetype characters) {
    if (!simdjson::validate_utf8(bytes.data(), static_cast<size_t>(bytes.size())))
        return std::nullopt;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype length = 0;
        if (!WhiteSpace::isWhiteSpace(scalarAt(bytes, start, length)))
            break;
        start += length;
    }
    qsizetype end = bytes.size();
    while (end > start) {
        qsizetype scalarStart = end - 1;
        while (scalarStart > start && isContinuation(bytes[scalarStart]))
            --scalarStart;
        qsizetype length = 0;
        if (!WhiteSpace::isWhiteSpace(scalarAt(bytes, scalarStart, length)))
            break;
        end = scalarStart;
    }
    // Decode growing prefixes until the cut is certain: cluster boundaries inside a prefix that are followed by
    // more decoded text are boundaries of the whole text too.
    qsizetype chunk = 4 * (characters + 1) + 16;
    for (;;) {
        qsizetype chunkEnd = std::min(end, start + chunk);
        while (chunkEnd < end && isContinuation(bytes[chunkEnd]))
            --chunkEnd;
        const QString decoded = QString::fromUtf8(bytes.sliced(start, chunkEnd - start));
        if (chunkEnd == end || Graphemes::countUpTo(decoded, characters + 1) > characters)
            return decoded.first(Graphemes::prefixLength(decoded, characters));
        chunk *= 2;
    }
}

} // namespace stowline::Utf8
