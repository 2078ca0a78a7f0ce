#include "core/model/JsonWriter.h"

#include <openssl/evp.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace stowline {

JsonWriter::JsonWriter(qsizetype reserveBytes) {
    if (reserveBytes > 0)
        m_out.reserve(reserveBytes);
    m_needsComma.reserve(8);
}

void JsonWriter::separate() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_needsComma.empty()) {
        if (m_needsComma.back())
            m_out.append(',');
        m_needsComma.back() = true;
    }
}

void JsonWriter::beginObject() {
    separate();
    m_out.append('{');
    m_needsComma.push_back(false);
}

void JsonWriter::endObject() {
    m_needsComma.pop_back();
    m_out.append('}');
}

void JsonWriter::beginArray() {
    separate();
    m_out.append('[');
    m_needsComma.push_back(false);
}

void JsonWriter::endArray() {
    m_needsComma.pop_back();
    m_out.append(']');
}

void JsonWriter::key(QByteArrayView name) {
    separate();
    m_out.append('"').append(name).append("\":");
    m_afterKey = true;
}

namespace {

bool needsEscape(unsigned unit) {
    return unit < 0x20 || unit == '"' || unit == '\\';
}

// Writes `units` (UTF-8 bytes, or UTF-16 units that are all ASCII) quoted and escaped at the end of `out`, sized
// exactly in a first pass so the buffer grows once.
template <typename Unit>
void appendQuoted(QByteArray& out, const Unit* units, qsizetype size) {
    static constexpr char hex[] = "0123456789abcdef";
    qsizetype extra = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned unit = units[i];
        if (needsEscape(unit))
            extra += unit == '"' || unit == '\\' || unit == '\n' || unit == '\r' || unit == '\t' || unit == '\b' ||
                             unit == '\f'
                         ? 1
                         : 5;
    }
    const qsizetype start = out.size();
    out.resize(start + size + extra + 2);
    char* cursor = out.data() + start;
    *cursor++ = '"';
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned unit = units[i];
        if (!needsEscape(unit)) {
            *cursor++ = char(unit);
            continue;
        }
        *cursor++ = '\\';
        switch (unit) {
        case '"':
        case '\\':
            *cursor++ = char(unit);
            break;
        case '\n':
            *cursor++ = 'n';
            break;
        case '\r':
            *cursor++ = 'r';
            break;
        case '\t':
            *cursor++ = 't';
            break;
        case '\b':
            *cursor++ = 'b';
            break;
        case '\f':
            *cursor++ = 'f';
            break;
        default:
            for (const char c : {'u', '0', '0', hex[unit >> 4], hex[unit & 0xF]})
                *cursor++ = c;
        }
    }
    *cursor = '"';
}

} // namespace

void JsonWriter::value(QStringView text) {
    const char16_t* units = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (units[i] >= 0x80) {
            utf8(text.toUtf8());
            return;
        }
    }
    // ASCII, the usual case for the short texts written here, needs no conversion.
    separate();
    appendQuoted(m_out, units, text.size());
}

void JsonWriter::utf8(QByteArrayView text) {
    separate();
    appendQuoted(m_out, reinterpret_cast<const unsigned char*>(text.data()), text.size());
}

void JsonWriter::value(qint64 number) {
    separate();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    m_out.append(digits, end - digits);
}

void JsonWriter::value(double number) {
    separate();
    // JSON has no NaN or infinity; such an instant is meaningless, so it is stored as the reference date.
    if (!std::isfinite(number))
        number = 0;
    char digits[32];
    // Shortest form that reads back to the same double.
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    m_out.append(digits, end - digits);
}

void JsonWriter::value(bool flag) {
    separate();
    m_out.append(flag ? "true" : "false");
}

void JsonWriter::base64(const QByteArray& bytes) {
    separate();
    // Encoded straight into the buffer: no second copy of a large payload.
    const qsizetype start = m_out.size();
    const qsizetype encoded = (bytes.size() + 2) / 3 * 4;
    m_out.resize(start + encoded + 2);
    char* out = m_out.data() + start;
    out[0] = '"';
    auto* target = reinterpret_cast<unsigned char*>(out + 1);
    const auto* source = reinterpret_cast<const unsigned char*>(bytes.constData());
    // EVP lengths are ints: whole groups of three bytes at a time.
    constexpr qsizetype slice = qsizetype(3) << 28;
    for (qsizetype done = 0; done < bytes.size();) {
        const qsizetype length = std::min(slice, bytes.size() - done);
        target += EVP_EncodeBlock(target, source + done, int(length));
        done += length;
    }
    out[encoded + 1] = '"';
}

void JsonWriter::uuid(const QUuid& id) {
    separate();
    m_out.append('"').append(id.toByteArray(QUuid::WithoutBraces).toUpper()).append('"');
}

void JsonWriter::raw(QByteArrayView json) {
    separate();
    m_out.append(json);
}

} // namespace stowline
