#include "core/text/UrlSyntax.h"

#include <QList>

namespace stowline::UrlSyntax {

namespace {

bool isAlpha(char16_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char16_t c) {
    return c >= '0' && c <= '9';
}
bool isHex(char16_t c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isUnreserved(char16_t c) {
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}
bool isSubDelim(char16_t c) {
    switch (c) {
    case '!':
    case '$':
    case '&':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
        return true;
    default:
        return false;
    }
}
bool isPchar(char16_t c) {
    return isUnreserved(c) || isSubDelim(c) || c == ':' || c == '@';
}

// Every character is allowed by `allowed` or starts a complete percent escape.
template <typename Allowed>
bool consistsOf(QStringView part, Allowed allowed) {
    for (qsizetype i = 0; i < part.size(); ++i) {
        const char16_t c = part[i].unicode();
        if (c == '%') {
            if (i + 2 >= part.size())
                return false;
            if (!isHex(part[i + 1].unicode()) || !isHex(part[i + 2].unicode()))
                return false;
            i += 2;
        } else if (!allowed(c)) {
            return false;
        }
    }
    return true;
}

bool isDecOctet(QStringView s) {
    if (s.isEmpty() || s.size() > 3)
        return false;
    for (QChar c : s) {
        if (!isDigit(c.unicode()))
            return false;
    }
    if (s.size() > 1 && s[0] == u'0')
        return false;
    return s.toInt() <= 255;
}

bool isIPv4(QStringView s) {
    const auto parts = s.split(u'.');
    if (parts.size() != 4)
        return false;
    for (QStringView part : parts) {
        if (!isDecOctet(part))
            return false;
    }
    return true;
}

bool isH16(QStringView s) {
    if (s.isEmpty() || s.size() > 4)
        return false;
    for (QChar c : s) {
        if (!isHex(c.unicode()))
            return false;
    }
    return true;
}

bool isIPv6(QStringView s) {
    // An embedded IPv4 address counts as two 16-bit groups.
    qsizetype groups = 0;
    const qsizetype elision = s.indexOf(u"::");
    if (elision >= 0 && s.indexOf(u"::", elision + 1) >= 0)
        return false;
    const auto checkRun = [&](QStringView run, bool allowIPv4Tail) {
        if (run.isEmpty())
            return true;
        const auto parts = run.split(u':');
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (allowIPv4Tail && i == parts.size() - 1 && parts[i].contains(u'.')) {
                if (!isIPv4(parts[i]))
                    return false;
                groups += 2;
            } else if (!isH16(parts[i])) {
                return false;
            } else {
                ++groups;
            }
        }
        return true;
    };
    if (elision < 0)
        return checkRun(s, true) && groups == 8;
    if (!checkRun(s.first(elision), false) || !checkRun(s.sliced(elision + 2), true))
        return false;
    return groups <= 7;
}

bool isIPvFuture(QStringView s) {
    // "v" 1*HEXDIG "." 1*( unreserved / sub-delims / ":" )
    if (s.size() < 4 || (s[0] != u'v' && s[0] != u'V'))
        return false;
    const qsizetype dot = s.indexOf(u'.');
    if (dot < 2 || dot == s.size() - 1)
        return false;
    for (QChar c : s.sliced(1, dot - 1)) {
        if (!isHex(c.unicode()))
            return false;
    }
    for (QChar c : s.sliced(dot + 1)) {
        const char16_t u = c.unicode();
        if (!isUnreserved(u) && !isSubDelim(u) && u != ':')
            return false;
    }
    return true;
}

bool isAuthority(QStringView authority) {
    QStringView hostPort = authority;
    const qsizetype at = authority.lastIndexOf(u'@');
    if (at >= 0) {
        const QStringView userInfo = authority.first(at);
        if (!consistsOf(userInfo, [](char16_t c) { return isUnreserved(c) || isSubDelim(c) || c == ':'; }))
            return false;
        hostPort = authority.sliced(at + 1);
    }
    QStringView host = hostPort;
    QStringView port;
    if (hostPort.startsWith(u'[')) {
        const qsizetype close = hostPort.indexOf(u']');
        if (close < 0)
            return false;
        const QStringView literal = hostPort.sliced(1, close - 1);
        if (!isIPv6(literal) && !isIPvFuture(literal))
            return false;
        const QStringView rest = hostPort.sliced(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return false;
        port = rest.isEmpty() ? rest : rest.sliced(1);
    } else {
        const qsizetype colon = hostPort.lastIndexOf(u':');
        if (colon >= 0) {
            host = hostPort.first(colon);
            port = hostPort.sliced(colon + 1);
        }
        // A reg-name also covers IPv4 addresses.
        if (!consistsOf(host, [](char16_t c) { return isUnreserved(c) || isSubDelim(c); }))
            return false;
    }
    for (QChar c : port) {
        if (!isDigit(c.unicode()))
            return false;
    }
    return true;
}

} // namespace

bool parsesWithScheme(QStringView text) {
    const qsizetype colon = text.indexOf(u':');
    if (colon < 1 || !isAlpha(text[0].unicode()))
        return false;
    for (QChar c : text.first(colon)) {
        const char16_t u = c.unicode();
        if (!isAlpha(u) && !isDigit(u) && u != '+' && u != '-' && u != '.')
            return false;
    }
    QStringView rest = text.sliced(colon + 1);

    const qsizetype hash = rest.indexOf(u'#');
    if (hash >= 0) {
        if (!consistsOf(rest.sliced(hash + 1), [](char16_t c) { return isPchar(c) || c == '/' || c == '?'; }))
            return false;
        rest = rest.first(hash);
    }
    const qsizetype question = rest.indexOf(u'?');
    if (question >= 0) {
        if (!consistsOf(rest.sliced(question + 1), [](char16_t c) { return isPchar(c) || c == '/' || c == '?'; }))
            return false;
        rest = rest.first(question);
    }

    QStringView path = rest;
    if (rest.startsWith(u"//")) {
        const QStringView afterSlashes = rest.sliced(2);
        const qsizetype slash = afterSlashes.indexOf(u'/');
        const QStringView authority = slash < 0 ? afterSlashes : afterSlashes.first(slash);
        if (!isAuthority(authority))
            return false;
        path = slash < 0 ? QStringView() : afterSlashes.sliced(slash);
    }
    return consistsOf(path, [](char16_t c) { return isPchar(c) || c == '/'; });
}

} // namespace stowline::UrlSyntax
