#include "core/model/ClipJson.h"

#include "core/model/ClipJsonReader.h"

#include <QUuid>

namespace stowline::ClipJson {

void write(JsonWriter& writer, const ClipRepresentation& representation) {
    writer.beginObject();
    writer.key("itemIndex");
    writer.value(representation.itemIndex);
    writer.key("typeIdentifier");
    writer.value(representation.typeIdentifier);
    writer.key("data");
    writer.base64(representation.data);
    writer.endObject();
}

namespace {

template <typename T, typename Write>
void writeOptional(JsonWriter& writer, QByteArrayView key, const std::optional<T>& field, Write&& writeValue) {
    if (!field)
        return;
    writer.key(key);
    writeValue(*field);
}

void writeOptional(JsonWriter& writer, QByteArrayView key, const std::optional<qint64>& field) {
    writeOptional(writer, key, field, [&](qint64 v) { writer.value(v); });
}

void writeOptional(JsonWriter& writer, QByteArrayView key, const std::optional<QString>& field) {
    writeOptional(writer, key, field, [&](const QString& v) { writer.value(QStringView(v)); });
}

} // namespace

void write(JsonWriter& writer, const ClipItem& item) {
    writer.beginObject();
    writer.key("id");
    writer.uuid(item.id());
    writer.key("createdAt");
    writer.value(item.createdAt().seconds);
    writer.key("lastUsedAt");
    writer.value(item.lastUsedAt().seconds);
    writer.key("kind");
    writer.value(rawValue(item.kind()));
    writer.key("isFavorite");
    writer.value(item.isFavorite());
    writer.key("title");
    writer.utf8(item.titleUtf8());
    writer.key("preview");
    writer.utf8(item.previewUtf8());
    writeOptional(writer, "sourceAppName", item.sourceAppName());
    writeOptional(writer, "sourceBundleIdentifier", item.sourceBundleIdentifier());
    writer.key("contentHash");
    writer.value(item.contentHash());
    writer.key("byteCount");
    writer.value(item.byteCount());
    writer.key("representations");
    writer.beginArray();
    for (const ClipRepresentation& representation : item.representations())
        write(writer, representation);
    writer.endArray();
    writeOptional(writer, "thumbnailData", item.thumbnailData(), [&](const QByteArray& v) { writer.base64(v); });
    writeOptional(writer, "capturedFileSizeBytes", item.capturedFileSizeBytes());
    writeOptional(writer, "imagePixelWidth", item.imagePixelWidth());
    writeOptional(writer, "imagePixelHeight", item.imagePixelHeight());
    writeOptional(writer, "contentMetadataVersion", item.contentMetadataVersion());
    writeOptional(writer, "credentialClassification", item.credentialClassification(),
                  [&](const CredentialClassification& v) {
                      writer.beginObject();
                      writer.key("detectorVersion");
                      writer.value(v.detectorVersion);
                      writer.key("isCredential");
                      writer.value(v.isCredential);
                      writer.endObject();
                  });
    writeOptional(writer, "recognizedText", item.recognizedText());
    writeOptional(writer, "textRecognitionVersion", item.textRecognitionVersion());
    writeOptional(writer, "textFormat", item.textFormat(), [&](TextContentFormat v) { writer.value(rawValue(v)); });
    writeOptional(writer, "textFormatVersion", item.textFormatVersion());
    writer.endObject();
}

qsizetype encodedSizeHint(const ClipItem& item) {
    const auto base64Size = [](qsizetype bytes) { return (bytes + 2) / 3 * 4; };
    qsizetype size = 400 + item.titleUtf8().size() + item.previewUtf8().size();
    for (const ClipRepresentation& representation : item.representations())
        size += 80 + representation.typeIdentifier.size() + base64Size(representation.data.size());
    if (item.thumbnailData())
        size += base64Size(item.thumbnailData()->size());
    if (item.recognizedText())
        size += 3 * item.recognizedText()->size();
    return size;
}

QByteArray encode(const ClipItem& item) {
    JsonWriter writer(encodedSizeHint(item));
    write(writer, item);
    return writer.take();
}

simdjson::padded_string padded(QByteArrayView json) {
    return simdjson::padded_string(json.data(), static_cast<size_t>(json.size()));
}

Result<ClipItem, JsonDecodeError> decode(QByteArrayView json) {
    const simdjson::padded_string text = padded(json);
    simdjson::ondemand::parser parser;
    simdjson::ondemand::document document;
    if (parser.iterate(text).get(document))
        return fail(JsonDecodeError{JsonDecodeError::Reason::syntax, {}});
    simdjson::ondemand::value root;
    if (document.get_value().get(root))
        return fail(JsonDecodeError{JsonDecodeError::Reason::syntax, {}});
    auto result = read(root);
    // Trailing content after the object makes the document invalid as a whole.
    if (result.ok() && !document.current_location().error())
        return fail(JsonDecodeError{JsonDecodeError::Reason::syntax, {}});
    return result;
}

} // namespace stowline::ClipJson
