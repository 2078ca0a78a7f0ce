#include "core/detect/CredentialDetector.h"

#include "core/text/Graphemes.h"
#include "core/text/JsonSyntax.h"
#include "core/text/Regex.h"
#include "core/text/UrlSyntax.h"
#include "core/text/Utf8.h"
#include "core/text/WhiteSpace.h"

#include <QByteArray>

#include <array>
#include <cmath>

namespace stowline::CredentialDetector {

namespace {

using namespace Qt::StringLiterals;

struct Patterns {
    std::optional<Regex> exactEmail = Regex::compile(
        uR"re(^[A-Z0-9.!#$%&'*+/=?^_`{|}~-]+@[A-Z0-9](?:[A-Z0-9-]{0,61}[A-Z0-9])?(?:\.[A-Z0-9](?:[A-Z0-9-]{0,61}[A-Z0-9])?)+$)re",
        true);
    std::optional<Regex> labelledSecret = Regex::compile(
        uR"re((?im)\b(?:password|passwd|pwd|secret|api[ _-]?key|access[ _-]?token|auth[ _-]?token|refresh[ _-]?token|token)\b\s*[:=]\s*[^\s]{4,})re");
    std::optional<Regex> privateKeyHeader = Regex::compile(uR"re(-----BEGIN (?:[A-Z0-9 ]+ )?PRIVATE KEY-----)re");
    std::optional<Regex> knownTokenPrefix = Regex::compile(
        uR"re(^(?:gh[pousr]_[A-Za-z0-9_]{20,}|github_pat_[A-Za-z0-9_]{20,}|glpat-[A-Za-z0-9_-]{16,}|sk_(?:live|test)_[A-Za-z0-9]{16,}|xox[baprs]-[A-Za-z0-9-]{16,}|AKIA[A-Z0-9]{16})$)re");
    std::optional<Regex> uuid =
        Regex::compile(uR"re(^[0-9a-f]{8}-[0-9a-f]{4}-[1-5][0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$)re", true);
    std::optional<Regex> hexadecimal = Regex::compile(uR"re(^(?:0x|#)?[0-9a-f]+$)re", true);
};

// Compiled on first use, once per process (thread-safe static initialisation), and shared.
const Patterns& patterns() {
    static const Patterns compiled;
    return compiled;
}

// A pattern that could not be compiled counts as not matching.
bool matches(const std::optional<Regex>& pattern, QStringView text) {
    return pattern && pattern->isMatchedIn(text);
}

bool isJsonObject(QByteArrayView bytes) {
    const std::optional<QString> text = Utf8::decode(bytes);
    return text && JsonSyntax::container(*text) == JsonSyntax::Container::object;
}

// URL-safe Base64 without padding, decoded strictly.
std::optional<QByteArray> decodeBase64Url(QStringView piece) {
    QByteArray standard;
    standard.reserve(piece.size() + 3);
    for (QChar c : piece) {
        const char16_t u = c.unicode();
        if (u > 0x7F)
            return std::nullopt;
        standard.append(u == u'-' ? '+' : u == u'_' ? '/' : static_cast<char>(u));
    }
    standard.append((4 - standard.size() % 4) % 4, '=');
    auto result = QByteArray::fromBase64Encoding(standard, QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return std::nullopt;
    return result.decoded;
}

bool isAsciiWhiteSpace(char16_t c) {
    return c == u' ' || (c >= 0x09 && c <= 0x0D);
}

} // namespace

bool isCredential(std::optional<QStringView> text, bool wasConcealed) {
    if (wasConcealed)
        return true;
    if (!text)
        return false;
    const QStringView trimmed = WhiteSpace::trimmed(*text);
    if (trimmed.isEmpty() || Graphemes::countUpTo(trimmed, maximumScannedCharacters + 1) > maximumScannedCharacters)
        return false;
    const Patterns& p = patterns();
    if (matches(p.exactEmail, trimmed) || matches(p.labelledSecret, trimmed) || matches(p.privateKeyHeader, trimmed) ||
        matches(p.knownTokenPrefix, trimmed))
        return true;
    return isJWT(trimmed) || isHighEntropyStandaloneToken(trimmed);
}

CredentialClassification classify(std::optional<QStringView> text, bool wasConcealed) {
    return {currentVersion, isCredential(text, wasConcealed)};
}

CredentialClassification classify(const ClipItem& item) {
    for (const ClipRepresentation& representation : item.representations()) {
        if (representation.typeIdentifier != TypeIdentifier::plainText)
            continue;
        // Enough characters to tell a text over the cap from one at it, without decoding all of a huge clip.
        if (const auto text = Utf8::decodeTrimmedPrefix(representation.data, maximumScannedCharacters + 1)) {
            // The cut may end in blanks that trimming would remove, so the cap is judged on the cut itself.
            if (Graphemes::countUpTo(*text, maximumScannedCharacters + 1) > maximumScannedCharacters)
                return {currentVersion, false};
            return classify(QStringView(*text), false);
        }
        break;
    }
    return classify(QStringView(item.preview()), false);
}

bool upgradeClip(ClipItem& item) {
    const auto& stored = item.credentialClassification();
    if (stored && stored->detectorVersion == currentVersion)
        return false;
    item.setCredentialClassification(classify(item));
    return true;
}

ClipListUpgrade upgrade(QList<ClipItem> items) {
    ClipListUpgrade result;
    for (ClipItem& item : items)
        result.changed |= upgradeClip(item);
    result.items = std::move(items);
    return result;
}

bool isJWT(QStringView text) {
    const QList<QStringView> pieces = text.split(u'.');
    if (pieces.size() != 3)
        return false;
    if (Graphemes::countUpTo(pieces[2], 16) < 16)
        return false;
    const auto header = decodeBase64Url(pieces[0]);
    if (!header)
        return false;
    const auto payload = decodeBase64Url(pieces[1]);
    if (!payload)
        return false;
    return isJsonObject(*header) && isJsonObject(*payload);
}

bool isHighEntropyStandaloneToken(QStringView text) {
    const qsizetype length = Graphemes::countUpTo(text, 513);
    if (length < 20 || length > 512)
        return false;
    for (QChar c : text) {
        if (c.unicode() > 0x7F || isAsciiWhiteSpace(c.unicode()))
            return false;
    }
    const Patterns& p = patterns();
    if (UrlSyntax::parsesWithScheme(text) || matches(p.uuid, text) || matches(p.hexadecimal, text))
        return false;
    if (text.contains(u'/') || text.contains(u'\\'))
        return false;

    // Every code unit is ASCII here, so code units are the UTF-8 bytes.
    std::array<int, 128> counts{};
    bool lower = false, upper = false, digit = false, other = false;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        ++counts[u];
        if (u >= u'a' && u <= u'z')
            lower = true;
        else if (u >= u'A' && u <= u'Z')
            upper = true;
        else if (u >= u'0' && u <= u'9')
            digit = true;
        else
            other = true;
    }
    const int classes = int(lower) + int(upper) + int(digit) + int(other);
    const auto distinct = std::count_if(counts.begin(), counts.end(), [](int count) { return count > 0; });
    if (classes < 2 || distinct < 10)
        return false;
    const double n = static_cast<double>(text.size());
    double entropy = 0;
    for (int count : counts) {
        if (count > 0) {
            const double p = count / n;
            entropy -= p * std::log2(p);
        }
    }
    return entropy >= 3.6;
}

} // namespace stowline::CredentialDetector
