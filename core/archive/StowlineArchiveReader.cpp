// The decoding half of StowlineArchive, kept apart so only this file pays for the simdjson headers.

#include "core/archive/StowlineArchive.h"
#include "core/model/ClipJsonReader.h"

#include <atomic>
#include <cstring>
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

// Documents above this many bytes are read entry by entry: the parser handles at most 4 GiB at once.
std::atomic<qsizetype> singleParseLimit{qsizetype(simdjson::SIMDJSON_MAXSIZE_BYTES)};

// Both readers end alike: an archive holds its schema version and its items.
Result<StowlineArchive, StowlineCipherError> withRequiredKeys(StowlineArchive archive, bool hasVersion, bool hasItems) {
    if (!hasVersion)
        return fail(rootError(Reason::missingKey, "schemaVersion"));
    if (!hasItems)
        return fail(rootError(Reason::missingKey, "items"));
    return archive;
}

// Finds the extent of values in a JSON text without decoding them; strings are skipped whole, so brackets and
// quotes inside them never count. What lies inside an extent is left for the parser to judge.
class StructureScanner {
public:
    StructureScanner(const char* json, qsizetype length) : m_json(json), m_length(length) {}

    qsizetype position() const { return m_position; }
    bool atEnd() {
        skipSpace();
        return m_position == m_length;
    }
    void skipSpace() {
        while (m_position < m_length && m_json[m_position] != 0 && std::strchr(" \t\n\r", m_json[m_position]))
            ++m_position;
    }
    // Skips white space and takes `c` when it comes next.
    bool take(char c) {
        skipSpace();
        if (m_position == m_length || m_json[m_position] != c)
            return false;
        ++m_position;
        return true;
    }
    bool peek(char c) {
        skipSpace();
        return m_position < m_length && m_json[m_position] == c;
    }
    enum class Member { next, end, broken };
    // Steps to the next member of an open object or array that `close` ends, each after the first behind a comma;
    // with `next`, `start` is where the member begins.
    Member nextMember(char close, bool first, qsizetype& start) {
        if (take(close))
            return Member::end;
        if (!first && !take(','))
            return Member::broken;
        skipSpace();
        start = m_position;
        return Member::next;
    }
    // Moves past the next value; false when the text ends inside it or no value starts here.
    bool skipValue() {
        skipSpace();
        if (m_position == m_length)
            return false;
        const char first = m_json[m_position];
        if (first == '"')
            return skipString();
        if (first != '{' && first != '[') {
            const qsizetype start = m_position;
            while (m_position < m_length && !std::strchr(",:]} \t\n\r{[\"", m_json[m_position]))
                ++m_position;
            return m_position > start;
        }
        qsizetype depth = 0;
        while (m_position < m_length) {
            const char c = m_json[m_position];
            if (c == '"') {
                if (!skipString())
                    return false;
                continue;
            }
            ++m_position;
            if (c == '{' || c == '[')
                ++depth;
            else if ((c == '}' || c == ']') && --depth == 0)
                return true;
        }
        return false;
    }

private:
    // At an opening quote: moves past the closing one, the first quote not escaped by an odd run of backslashes.
    bool skipString() {
        for (qsizetype from = m_position + 1;;) {
            const void* found = std::memchr(m_json + from, '"', size_t(m_length - from));
            if (!found)
                return false;
            const qsizetype quote = static_cast<const char*>(found) - m_json;
            qsizetype backslashes = 0;
            while (m_json[quote - 1 - backslashes] == '\\')
                ++backslashes;
            from = quote + 1;
            if (backslashes % 2 == 0) {
                m_position = from;
                return true;
            }
        }
    }

    const char* m_json;
    qsizetype m_length;
    qsizetype m_position = 0;
};

// One JSON value parsed on its own, from a copy with the parser's padding.
template <typename Read>
auto parseAlone(const char* json, qsizetype length, Read read) {
    od::parser parser;
    const simdjson::padded_string text(json, size_t(length));
    od::document document;
    auto error = parser.iterate(text).get(document);
    return read(document, error);
}

// The archive read one entry at a time, for documents too large for one parse. Same rules and errors as the
// single parse: keys in any order, unknown keys ignored, each entry decoded as a whole.
Result<StowlineArchive, StowlineCipherError> decodeEntryByEntry(const char* json, qsizetype length,
                                                                qsizetype capacity) {
    StructureScanner scanner(json, length);
    if (!scanner.peek('{')) {
        if (scanner.atEnd() || !scanner.skipValue())
            return fail(rootError(Reason::syntax));
        return fail(rootError(Reason::typeMismatch));
    }
    scanner.take('{');
    StowlineArchive archive;
    bool hasVersion = false;
    bool hasItems = false;
    od::parser entryParser;
    using Member = StructureScanner::Member;
    qsizetype keyStart = 0;
    for (bool first = true;; first = false) {
        const Member member = scanner.nextMember('}', first, keyStart);
        if (member == Member::end)
            break;
        if (member == Member::broken || !scanner.peek('"') || !scanner.skipValue())
            return fail(rootError(Reason::syntax));
        const qsizetype keyEnd = scanner.position();
        if (!scanner.take(':'))
            return fail(rootError(Reason::syntax));
        const std::string key =
            parseAlone(json + keyStart, keyEnd - keyStart, [](od::document& document, simdjson::error_code error) {
                std::string_view name;
                if (error || document.get_string().get(name))
                    return std::string();
                return std::string(name);
            });
        if (key == "items") {
            archive.items.clear();
            if (!scanner.take('['))
                return fail(scanner.skipValue() ? rootError(Reason::typeMismatch, "items") : rootError(Reason::syntax));
            qsizetype start = 0;
            for (bool firstEntry = true;; firstEntry = false) {
                const Member entry = scanner.nextMember(']', firstEntry, start);
                if (entry == Member::end)
                    break;
                if (entry == Member::broken || !scanner.skipValue())
                    return fail(rootError(Reason::syntax));
                // What follows the entry in the buffer serves as the parser's padding.
                od::document document;
                od::value element;
                if (entryParser.iterate(json + start, size_t(scanner.position() - start), size_t(capacity - start))
                        .get(document) ||
                    document.get_value().get(element))
                    return fail(
                        StowlineCipherError::decodingFailed(JsonDecodeError{Reason::syntax, {}}, archive.items.size()));
                auto item = ClipJson::read(element);
                if (!item)
                    return fail(StowlineCipherError::decodingFailed(item.error(), archive.items.size()));
                archive.items.append(std::move(item).value());
            }
            hasItems = true;
            continue;
        }
        scanner.skipSpace();
        const qsizetype valueStart = scanner.position();
        if (!scanner.skipValue())
            return fail(rootError(Reason::syntax));
        if (key == "schemaVersion") {
            int64_t version = 0;
            const auto code = parseAlone(json + valueStart, scanner.position() - valueStart,
                                         [&version](od::document& document, simdjson::error_code error) {
                                             return error ? error : document.get_int64().get(version);
                                         });
            if (code)
                return fail(rootError(code, "schemaVersion"));
            if (!StowlineArchive::supports(version))
                return fail(StowlineCipherError::unsupportedSchema(version));
            archive.schemaVersion = version;
            hasVersion = true;
        }
    }
    if (!scanner.atEnd())
        return fail(rootError(Reason::syntax));
    return withRequiredKeys(std::move(archive), hasVersion, hasItems);
}

} // namespace

void StowlineArchive::setSingleParseLimitForTesting(qsizetype bytes) {
    singleParseLimit = bytes > 0 ? bytes : qsizetype(simdjson::SIMDJSON_MAXSIZE_BYTES);
}

qsizetype StowlineArchive::decodePadding() {
    return simdjson::SIMDJSON_PADDING;
}

Result<StowlineArchive, StowlineCipherError> StowlineArchive::decodePadded(const char* json, qsizetype length,
                                                                           qsizetype capacity) {
    if (length > singleParseLimit.load())
        return decodeEntryByEntry(json, length, capacity);
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
    return withRequiredKeys(std::move(archive), hasVersion, hasItems);
}

Result<StowlineArchive, StowlineCipherError> StowlineArchive::decode(QByteArrayView json) {
    const simdjson::padded_string text = ClipJson::padded(json);
    return decodePadded(text.data(), qsizetype(text.size()), qsizetype(text.size()) + decodePadding());
}

} // namespace stowline
