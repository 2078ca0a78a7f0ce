// The decoding half of StowlineArchive, kept apart so only this file pays for the simdjson headers.

#include "core/archive/StowlineArchive.h"
#include "core/model/ClipJsonReader.h"

#include <string_view>

namespace stowline {

namespace {

using Reason = JsonDecodeError::Reason;
namespace od = simdjson::ondemand;

StowlineCipherError rootError(Reason reason, const char* key = "") {
    return StowlineCipherError::decodingFailed(JsonDecodeError{reason, QString::fromLatin1(key)}, -1);
}

StowlineCipherError rootError(simdjson::error_code code, const char* key) {
    const bool wrongType = code == simdjson::INCORRECT_TYPE || code == simdjson::NUMBER_OUT_OF_RANGE;
    return rootError(wrongType ? Reason::typeMismatch : Reason::syntax, key);
}

std::optional<StowlineCipherError> readItems(od::value value, QList<ClipItem>& items) {
    od::array array;
    if (auto code = value.get_array().get(array))
        return rootError(code, "items");
    for (auto elementResult : array) {
        od::value element;
        if (std::move(elementResult).get(element))
            return StowlineCipherError::decodingFailed(JsonDecodeError{Reason::syntax, {}}, items.size());
        auto item = ClipJson::read(element);
        if (!item)
            return StowlineCipherError::decodingFailed(item.error(), items.size());
        items.append(std::move(item).value());
    }
    return std::nullopt;
}

} // namespace

qsizetype StowlineArchive::decodePadding() {
    return simdjson::SIMDJSON_PADDING;
}

Result<StowlineArchive, StowlineCipherError> StowlineArchive::decodePadded(const char* json, qsizetype length,
                                                                           qsizetype capacity) {
    od::parser parser;
    od::document document;
    if (parser.iterate(json, size_t(length), size_t(capacity)).get(document))
        return fail(rootError(Reason::syntax));
    od::object root;
    if (auto code = document.get_object().get(root))
        return fail(rootError(code, ""));

    StowlineArchive archive;
    bool hasVersion = false;
    bool hasItems = false;
    for (auto fieldResult : root) {
        od::field field;
        std::string_view name;
        if (std::move(fieldResult).get(field) || field.unescaped_key().get(name))
            return fail(rootError(Reason::syntax));
        if (name == "schemaVersion") {
            int64_t version = 0;
            if (auto code = field.value().get_int64().get(version))
                return fail(rootError(code, "schemaVersion"));
            // Known before the entries (as every writer orders it): an archive from a newer writer is reported
            // as such rather than as entries that do not decode.
            if (!supports(version))
                return fail(StowlineCipherError::unsupportedSchema(version));
            archive.schemaVersion = version;
            hasVersion = true;
        } else if (name == "items") {
            archive.items.clear();
            if (auto error = readItems(field.value(), archive.items))
                return fail(std::move(*error));
            hasItems = true;
        }
    }
    // Trailing content after the object makes the document invalid as a whole.
    if (!document.current_location().error())
        return fail(rootError(Reason::syntax));
    if (!hasVersion)
        return fail(rootError(Reason::missingKey, "schemaVersion"));
    if (!hasItems)
        return fail(rootError(Reason::missingKey, "items"));
    return archive;
}

Result<StowlineArchive, StowlineCipherError> StowlineArchive::decode(QByteArrayView json) {
    const simdjson::padded_string text = ClipJson::padded(json);
    return decodePadded(text.data(), qsizetype(text.size()), qsizetype(text.size()) + decodePadding());
}

} // namespace stowline
