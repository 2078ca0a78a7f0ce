#include "core/model/JsonWriter.h"

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

void JsonWriter::value(QStringView text) {
    separate();
    static constexpr char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    m_out.reserve(m_out.size() + utf8.size() + 2);
    m_out.append('"');
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte >= 0x20 && byte != '"' && byte != '\\')
            continue;
        m_out.append(utf8.constData() + runStart, i - runStart);
        runStart = i + 1;
        switch (byte) {
        case '"':
            m_out.append("\\\"");
            break;
        case '\\':
            m_out.append("\\\\");
            break;
        case '\n':
            m_out.append("\\n");
            break;
        case '\r':
            m_out.append("\\r");
            break;
        case '\t':
            m_out.append("\\t");
            break;
        case '\b':
            m_out.append("\\b");
            break;
        case '\f':
            m_out.append("\\f");
            break;
        default: {
            const char escape[] = {'\\', 'u', '0', '0', hex[byte >> 4], hex[byte & 0xF]};
            m_out.append(escape, sizeof escape);
        }
        }
    }
    m_out.append(utf8.constData() + runStart, utf8.size() - runStart);
    m_out.append('"');
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
    m_out.append('"').append(bytes.toBase64()).append('"');
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
