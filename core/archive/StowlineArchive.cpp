#include "core/archive/StowlineArchive.h"

#include "core/model/ClipJson.h"

namespace stowline {

qsizetype StowlineArchive::encodedSizeHint() const {
    qsizetype size = 64;
    for (const ClipItem& item : items)
        size += ClipJson::encodedSizeHint(item) + 1;
    return size;
}

void StowlineArchive::write(JsonWriter& writer) const {
    writer.beginObject();
    writer.key("schemaVersion");
    writer.value(schemaVersion);
    writer.key("items");
    writer.beginArray();
    for (const ClipItem& item : items)
        ClipJson::write(writer, item);
    writer.endArray();
    writer.endObject();
}

bool StowlineArchive::write(JsonWriter& writer, qsizetype count,
                            const std::function<const ClipItem&(qsizetype)>& itemAt, qsizetype chunkBytes,
                            const std::function<bool(QByteArray&)>& drain) {
    writer.beginObject();
    writer.key("schemaVersion");
    writer.value(currentSchemaVersion);
    writer.key("items");
    writer.beginArray();
    for (qsizetype i = 0; i < count; ++i) {
        ClipJson::write(writer, itemAt(i));
        if (writer.buffer().size() >= chunkBytes && !drain(writer.mutableBuffer()))
            return false;
    }
    writer.endArray();
    writer.endObject();
    return drain(writer.mutableBuffer());
}

QByteArray StowlineArchive::encode() const {
    JsonWriter writer(encodedSizeHint());
    write(writer);
    return writer.take();
}

} // namespace stowline
