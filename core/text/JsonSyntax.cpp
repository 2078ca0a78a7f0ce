#include "core/text/JsonSyntax.h"

#include <QVarLengthArray>

namespace stowline::JsonSyntax {

namespace {

class Checker {
public:
    explicit Checker(QStringView text) : m_text(text) {}

    std::optional<Container> run() {
        skipBlanks();
        if (m_pos >= m_text.size())
            return std::nullopt;
        const char16_t first = m_text[m_pos].unicode();
        if (first != u'[' && first != u'{')
            return std::nullopt;
        if (!value())
            return std::nullopt;
        skipBlanks();
        if (m_pos != m_text.size())
            return std::nullopt;
        return first == u'[' ? Container::array : Container::object;
    }

private:
    // Containers are tracked on an explicit stack so that deep nesting cannot exhaust the call stack.
    bool value() {
        QVarLengthArray<char16_t, 64> open;
        for (;;) {
            skipBlanks();
            if (m_pos >= m_text.size())
                return false;
            const char16_t c = m_text[m_pos].unicode();
            bool scalarDone = true;
            if (c == u'[' || c == u'{') {
                ++m_pos;
                skipBlanks();
                const char16_t close = c == u'[' ? u']' : u'}';
                if (peek() == close) {
                    ++m_pos;
                } else {
                    open.append(c);
                    if (c == u'{' && !memberName())
                        return false;
                    scalarDone = false;
                }
            } else if (c == u'"') {
                if (!string())
                    return false;
            } else if (c == u't') {
                if (!literal(u"true"))
                    return false;
            } else if (c == u'f') {
                if (!literal(u"false"))
                    return false;
            } else if (c == u'n') {
                if (!literal(u"null"))
                    return false;
            } else if (!number()) {
                return false;
            }
            if (!scalarDone)
                continue;
            // A value is complete: close containers or move to the next element.
            for (;;) {
                if (open.isEmpty())
                    return true;
                skipBlanks();
                const char16_t next = peek();
                const char16_t top = open.back();
                if (next == u',') {
                    ++m_pos;
                    if (top == u'{' && !memberName())
                        return false;
                    break;
                }
                if ((top == u'[' && next == u']') || (top == u'{' && next == u'}')) {
                    ++m_pos;
                    open.pop_back();
                    continue;
                }
                return false;
            }
        }
    }

    // A member name and its colon; the value follows.
    bool memberName() {
        skipBlanks();
        if (peek() != u'"' || !string())
            return false;
        skipBlanks();
        if (peek() != u':')
            return false;
        ++m_pos;
        return true;
    }

    bool string() {
        ++m_pos; // opening quote
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            const char16_t u = c.unicode();
            if (u == u'"') {
                ++m_pos;
                return true;
            }
            if (u < 0x20)
                return false;
            if (u == u'\\') {
                ++m_pos;
                const char16_t e = peek();
                if (e == u'u') {
                    for (int i = 1; i <= 4; ++i) {
                        if (!isHex(at(m_pos + i)))
                            return false;
                    }
                    m_pos += 5;
                    continue;
                }
                if (e != u'"' && e != u'\\' && e != u'/' && e != u'b' && e != u'f' && e != u'n' && e != u'r' &&
                    e != u't')
                    return false;
                ++m_pos;
                continue;
            }
            // The text must be encodable as UTF-8: surrogates only in valid pairs.
            if (c.isHighSurrogate()) {
                if (!QChar(at(m_pos + 1)).isLowSurrogate())
                    return false;
                m_pos += 2;
                continue;
            }
            if (c.isLowSurrogate())
                return false;
            ++m_pos;
        }
        return false;
    }

    bool number() {
        if (peek() == u'-')
            ++m_pos;
        if (peek() == u'0') {
            ++m_pos;
        } else if (isDigit(peek())) {
            while (isDigit(peek()))
                ++m_pos;
        } else {
            return false;
        }
        if (peek() == u'.') {
            ++m_pos;
            if (!isDigit(peek()))
                return false;
            while (isDigit(peek()))
                ++m_pos;
        }
        if (peek() == u'e' || peek() == u'E') {
            ++m_pos;
            if (peek() == u'+' || peek() == u'-')
                ++m_pos;
            if (!isDigit(peek()))
                return false;
            while (isDigit(peek()))
                ++m_pos;
        }
        return true;
    }

    bool literal(QStringView word) {
        if (!m_text.sliced(m_pos).startsWith(word))
            return false;
        m_pos += word.size();
        return true;
    }

    void skipBlanks() {
        while (m_pos < m_text.size()) {
            const char16_t c = m_text[m_pos].unicode();
            if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
                return;
            ++m_pos;
        }
    }

    char16_t at(qsizetype i) const { return i < m_text.size() ? m_text[i].unicode() : u'\0'; }
    char16_t peek() const { return at(m_pos); }
    static bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
    static bool isHex(char16_t c) { return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'); }

    QStringView m_text;
    qsizetype m_pos = 0;
};

} // namespace

std::optional<Container> container(QStringView text) {
    return Checker(text).run();
}

} // namespace stowline::JsonSyntax
