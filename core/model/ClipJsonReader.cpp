#include "core/model/ClipJsonReader.h"

#include <QUuid>

#include <openssl/evp.h>

#include <string>
#include <string_view>
#include <unordered_map>

namespace stowline::ClipJson {

namespace {

using simdjson::ondemand::value;
using Reason = JsonDecodeError::Reason;

// A field reader returns an error or nothing; the error names the key it was reading.
using FieldError = std::optional<JsonDecodeError>;

FieldError failure(simdjson::error_code code, std::string_view key) {
    const Reason reason = code == simdjson::INCORRECT_TYPE || code == simdjson::NUMBER_OUT_OF_RANGE
                              ? Reason::typeMismatch
                              : Reason::syntax;
    return JsonDecodeError{reason, QString::fromUtf8(key.data(), qsizetype(key.size()))};
}

FieldError invalid(std::string_view key) {
    return JsonDecodeError{Reason::invalidValue, QString::fromUtf8(key.data(), qsizetype(key.size()))};
}

FieldError readString(value v, std::string_view key, QString& out) {
    std::string_view text;
    if (auto code = v.get_string().get(text))
        return failure(code, key);
    out = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return std::nullopt;
}

// The UTF-8 the document holds (the parser has checked it), left in the parser's buffer until the entry is read.
FieldError readView(value v, std::string_view key, std::string_view& out) {
    if (auto code = v.get_string().get(out))
        return failure(code, key);
    return std::nullopt;
}

// The preview shares the bytes of a payload it equals (as a text clip's usually does), and a title that begins
// the preview needs no bytes of its own; neither is copied out of the document first.
std::pair<Utf8Text, Utf8Text> titleAndPreview(std::string_view title, std::string_view preview,
                                              const ClipRepresentations& representations) {
    QByteArray previewBytes;
    for (const ClipRepresentation& representation : representations) {
        if (QByteArrayView(representation.data) == QByteArrayView(preview.data(), qsizetype(preview.size()))) {
            previewBytes = representation.data;
            break;
        }
    }
    if (previewBytes.isNull())
        previewBytes = QByteArray(preview.data(), qsizetype(preview.size()));
    // Raw data is enough for a title the entry keeps as a length of its preview.
    QByteArray titleBytes = preview.starts_with(title)
                                ? QByteArray::fromRawData(previewBytes.constData(), qsizetype(title.size()))
                                : QByteArray(title.data(), qsizetype(title.size()));
    return {Utf8Text::fromUtf8(std::move(titleBytes)), Utf8Text::fromUtf8(std::move(previewBytes))};
}

// Names that repeat across entries (applications, payload types) share one string for all of them.
FieldError readShared(value v, std::string_view key, QString& out) {
    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    thread_local std::unordered_map<std::string, QString, Hash, std::equal_to<>> known;
    std::string_view text;
    if (auto code = v.get_string().get(text))
        return failure(code, key);
    if (const auto found = known.find(text); found != known.end()) {
        out = found->second;
        return std::nullopt;
    }
    out = QString::fromUtf8(text.data(), qsizetype(text.size()));
    // Bounded, for a history of many distinct names.
    if (known.size() >= 4096)
        known.clear();
    known.emplace(std::string(text), out);
    return std::nullopt;
}

FieldError readInt(value v, std::string_view key, qint64& out) {
    int64_t number;
    if (auto code = v.get_int64().get(number))
        return failure(code, key);
    out = number;
    return std::nullopt;
}

FieldError readDouble(value v, std::string_view key, double& out) {
    if (auto code = v.get_double().get(out))
        return failure(code, key);
    return std::nullopt;
}

FieldError readBool(value v, std::string_view key, bool& out) {
    if (auto code = v.get_bool().get(out))
        return failure(code, key);
    return std::nullopt;
}

// Padded standard Base64 only. OpenSSL's block decoder runs about four times faster than Qt's, which matters
// for image payloads; it skips surrounding white space and stops at none of the padding, so both are checked here.
std::optional<QByteArray> decodeBase64(std::string_view encoded) {
    if (encoded.size() % 4 != 0)
        return std::nullopt;
    if (encoded.empty())
        return QByteArray();
    const auto isWhiteSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    if (isWhiteSpace(encoded.front()) || isWhiteSpace(encoded.back()))
        return std::nullopt;
    const size_t padding = encoded.back() == '=' ? (encoded[encoded.size() - 2] == '=' ? 2 : 1) : 0;
    if (encoded.find('=') < encoded.size() - padding)
        return std::nullopt;
    QByteArray out(qsizetype(encoded.size() / 4 * 3), Qt::Uninitialized);
    const int written = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                        reinterpret_cast<const unsigned char*>(encoded.data()), int(encoded.size()));
    if (written < 0 || size_t(written) != encoded.size() / 4 * 3)
        return std::nullopt;
    out.resize(written - qsizetype(padding));
    return out;
}

FieldError readBase64(value v, std::string_view key, QByteArray& out) {
    // Base64 needs no unescaping unless a writer escaped "/", so the common case decodes straight from the input.
    std::string_view token = v.raw_json_token();
    while (!token.empty() &&
           (token.back() == ' ' || token.back() == '\n' || token.back() == '\r' || token.back() == '\t'))
        token.remove_suffix(1);
    std::string_view encoded;
    if (token.size() >= 2 && token.front() == '"' && token.back() == '"' &&
        token.find('\\') == std::string_view::npos) {
        encoded = token.substr(1, token.size() - 2);
    } else if (auto code = v.get_string().get(encoded)) {
        return failure(code, key);
    }
    auto decoded = decodeBase64(encoded);
    if (!decoded)
        return invalid(key);
    out = std::move(*decoded);
    return std::nullopt;
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Only the 36-character hyphenated form; QUuid alone would also take braces and could not tell a bad string
// from the nil UUID.
FieldError readUuid(value v, std::string_view key, QUuid& out) {
    std::string_view text;
    if (auto code = v.get_string().get(text))
        return failure(code, key);
    if (text.size() != 36)
        return invalid(key);
    for (size_t i = 0; i < text.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? text[i] != '-' : !isHex(text[i]))
            return invalid(key);
    }
    out = QUuid::fromString(QLatin1StringView(text.data(), qsizetype(text.size())));
    return std::nullopt;
}

template <typename E>
FieldError readEnum(value v, std::string_view key, E& out) {
    QString raw;
    if (auto error = readString(v, key, raw))
        return error;
    const auto parsed = fromRawValue<E>(raw);
    if (!parsed)
        return invalid(key);
    out = *parsed;
    return std::nullopt;
}

// Null and missing both mean absent; anything else must have the field's type.
template <typename T, typename Reader>
FieldError readOptional(value v, std::string_view key, std::optional<T>& out, Reader reader) {
    bool isNull = false;
    if (auto code = v.is_null().get(isNull))
        return failure(code, key);
    if (isNull) {
        out.reset();
        return std::nullopt;
    }
    T parsed{};
    if (auto error = reader(v, key, parsed))
        return error;
    out = std::move(parsed);
    return std::nullopt;
}

FieldError readCredential(value v, std::string_view key, CredentialClassification& out) {
    simdjson::ondemand::object object;
    if (auto code = v.get_object().get(object))
        return failure(code, key);
    bool hasVersion = false;
    bool hasFlag = false;
    for (auto fieldResult : object) {
        simdjson::ondemand::field field;
        std::string_view name;
        if (std::move(fieldResult).get(field) || field.unescaped_key().get(name))
            return failure(simdjson::TAPE_ERROR, key);
        if (name == "detectorVersion") {
            if (auto error = readInt(field.value(), key, out.detectorVersion))
                return error;
            hasVersion = true;
        } else if (name == "isCredential") {
            if (auto error = readBool(field.value(), key, out.isCredential))
                return error;
            hasFlag = true;
        }
    }
    if (!hasVersion || !hasFlag)
        return JsonDecodeError{Reason::missingKey, QString::fromUtf8(key.data(), qsizetype(key.size()))};
    return std::nullopt;
}

FieldError readRepresentation(value v, std::string_view key, ClipRepresentation& out) {
    simdjson::ondemand::object object;
    if (auto code = v.get_object().get(object))
        return failure(code, key);
    int seen = 0;
    for (auto fieldResult : object) {
        simdjson::ondemand::field field;
        std::string_view name;
        if (std::move(fieldResult).get(field) || field.unescaped_key().get(name))
            return failure(simdjson::TAPE_ERROR, key);
        FieldError error;
        if (name == "itemIndex") {
            error = readInt(field.value(), "itemIndex", out.itemIndex);
            seen |= 1;
        } else if (name == "typeIdentifier") {
            error = readShared(field.value(), "typeIdentifier", out.typeIdentifier);
            seen |= 2;
        } else if (name == "data") {
            error = readBase64(field.value(), "data", out.data);
            seen |= 4;
        }
        if (error)
            return error;
    }
    if (!(seen & 1))
        return JsonDecodeError{Reason::missingKey, QStringLiteral("itemIndex")};
    if (!(seen & 2))
        return JsonDecodeError{Reason::missingKey, QStringLiteral("typeIdentifier")};
    if (!(seen & 4))
        return JsonDecodeError{Reason::missingKey, QStringLiteral("data")};
    return std::nullopt;
}

FieldError readRepresentations(value v, std::string_view key, ClipRepresentations& out) {
    simdjson::ondemand::array array;
    if (auto code = v.get_array().get(array))
        return failure(code, key);
    for (auto elementResult : array) {
        value element;
        if (auto code = std::move(elementResult).get(element))
            return failure(code, key);
        ClipRepresentation representation;
        if (auto error = readRepresentation(element, key, representation))
            return error;
        out.append(std::move(representation));
    }
    // Held for the life of the entry: no room for growth.
    out.squeeze();
    return std::nullopt;
}

struct Fields {
    QUuid id;
    double createdAt = 0;
    double lastUsedAt = 0;
    ClipKind kind = ClipKind::text;
    bool isFavorite = false;
    std::string_view title;
    std::string_view preview;
    std::optional<QString> sourceAppName;
    std::optional<QString> sourceBundleIdentifier;
    QString contentHash;
    qint64 byteCount = 0;
    ClipRepresentations representations;
    std::optional<QByteArray> thumbnailData;
    std::optional<qint64> capturedFileSizeBytes;
    std::optional<qint64> imagePixelWidth;
    std::optional<qint64> imagePixelHeight;
    std::optional<qint64> contentMetadataVersion;
    std::optional<CredentialClassification> credentialClassification;
    std::optional<QString> recognizedText;
    std::optional<qint64> textRecognitionVersion;
    std::optional<TextContentFormat> textFormat;
    std::optional<qint64> textFormatVersion;
};

constexpr std::string_view requiredKeys[] = {"id",    "createdAt", "lastUsedAt",  "kind",      "isFavorite",
                                             "title", "preview",   "contentHash", "byteCount", "representations"};

FieldError readField(std::string_view name, value v, Fields& f, unsigned& seen) {
    for (size_t i = 0; i < std::size(requiredKeys); ++i) {
        if (name == requiredKeys[i])
            seen |= 1u << i;
    }
    if (name == "id")
        return readUuid(v, name, f.id);
    if (name == "createdAt")
        return readDouble(v, name, f.createdAt);
    if (name == "lastUsedAt")
        return readDouble(v, name, f.lastUsedAt);
    if (name == "kind")
        return readEnum(v, name, f.kind);
    if (name == "isFavorite")
        return readBool(v, name, f.isFavorite);
    if (name == "title")
        return readView(v, name, f.title);
    if (name == "preview")
        return readView(v, name, f.preview);
    if (name == "sourceAppName")
        return readOptional(v, name, f.sourceAppName, readShared);
    if (name == "sourceBundleIdentifier")
        return readOptional(v, name, f.sourceBundleIdentifier, readShared);
    if (name == "contentHash")
        return readString(v, name, f.contentHash);
    if (name == "byteCount")
        return readInt(v, name, f.byteCount);
    if (name == "representations")
        return readRepresentations(v, name, f.representations);
    if (name == "thumbnailData")
        return readOptional(v, name, f.thumbnailData, readBase64);
    if (name == "capturedFileSizeBytes")
        return readOptional(v, name, f.capturedFileSizeBytes, readInt);
    if (name == "imagePixelWidth")
        return readOptional(v, name, f.imagePixelWidth, readInt);
    if (name == "imagePixelHeight")
        return readOptional(v, name, f.imagePixelHeight, readInt);
    if (name == "contentMetadataVersion")
        return readOptional(v, name, f.contentMetadataVersion, readInt);
    if (name == "credentialClassification")
        return readOptional(v, name, f.credentialClassification, readCredential);
    if (name == "recognizedText")
        return readOptional(v, name, f.recognizedText, readString);
    if (name == "textRecognitionVersion")
        return readOptional(v, name, f.textRecognitionVersion, readInt);
    if (name == "textFormat")
        return readOptional(v, name, f.textFormat, readEnum<TextContentFormat>);
    if (name == "textFormatVersion")
        return readOptional(v, name, f.textFormatVersion, readInt);
    return std::nullopt;
}

} // namespace

Result<ClipItem, JsonDecodeError> read(value v) {
    simdjson::ondemand::object object;
    if (auto code = v.get_object().get(object))
        return fail(*failure(code, {}));
    Fields f;
    unsigned seen = 0;
    for (auto fieldResult : object) {
        simdjson::ondemand::field field;
        std::string_view name;
        if (std::move(fieldResult).get(field) || field.unescaped_key().get(name))
            return fail(JsonDecodeError{Reason::syntax, {}});
        if (auto error = readField(name, field.value(), f, seen))
            return fail(std::move(*error));
    }
    for (size_t i = 0; i < std::size(requiredKeys); ++i) {
        if (!(seen & (1u << i)))
            return fail(JsonDecodeError{
                Reason::missingKey, QString::fromLatin1(requiredKeys[i].data(), qsizetype(requiredKeys[i].size()))});
    }
    auto [title, preview] = titleAndPreview(f.title, f.preview, f.representations);
    ClipItem item({.id = f.id,
                   .createdAt = Timestamp{f.createdAt},
                   .lastUsedAt = Timestamp{f.lastUsedAt},
                   .kind = f.kind,
                   .isFavorite = f.isFavorite,
                   .title = std::move(title),
                   .preview = std::move(preview),
                   .sourceAppName = std::move(f.sourceAppName),
                   .sourceBundleIdentifier = std::move(f.sourceBundleIdentifier),
                   .contentHash = std::move(f.contentHash),
                   .byteCount = f.byteCount,
                   .representations = std::move(f.representations),
                   .thumbnailData = std::move(f.thumbnailData)});
    item.setCapturedFileSizeBytes(f.capturedFileSizeBytes);
    item.setImagePixelWidth(f.imagePixelWidth);
    item.setImagePixelHeight(f.imagePixelHeight);
    item.setContentMetadataVersion(f.contentMetadataVersion);
    item.setCredentialClassification(f.credentialClassification);
    item.setRecognizedText(std::move(f.recognizedText));
    item.setTextRecognitionVersion(f.textRecognitionVersion);
    item.setTextFormat(f.textFormat);
    item.setTextFormatVersion(f.textFormatVersion);
    return item;
}

} // namespace stowline::ClipJson
