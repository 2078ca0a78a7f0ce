#include "core/highlight/TextSyntaxHighlighter.h"

#include "core/highlight/RegexCache.h"
#include "core/text/Graphemes.h"

#include <algorithm>
#include <utility>

namespace stowline {

using namespace Qt::StringLiterals;

std::optional<HighlightRole> HighlightedText::roleAt(qsizetype offset) const {
    const auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                        [](qsizetype value, const HighlightRun& run) { return value < run.location; });
    if (after == runs.begin())
        return std::nullopt;
    const HighlightRun& run = *(after - 1);
    if (offset < run.location + run.length)
        return run.role;
    return std::nullopt;
}

namespace TextSyntaxHighlighter {

namespace {

using F = TextContentFormat;

QString keywords(F format) {
    switch (format) {
    case F::json:
    case F::yaml:
        return u"false|null|true"_s;
    case F::shell:
        return u"case|do|done|elif|else|esac|export|fi|for|function|if|in|local|readonly|return|then|until|while"_s;
    case F::swift:
        return u"actor|as|break|case|catch|class|continue|default|defer|do|else|enum|extension|false|for|func|"
               u"guard|if|import|in|init|let|nil|protocol|repeat|return|self|static|struct|switch|throw|throws|"
               u"true|try|var|where|while"_s;
    case F::python:
        return u"and|as|assert|async|await|break|class|continue|def|del|elif|else|except|False|finally|for|from|"
               u"global|if|import|in|is|lambda|None|nonlocal|not|or|pass|raise|return|True|try|while|with|yield"_s;
    case F::javascript:
        return u"async|await|break|case|catch|class|const|continue|default|delete|do|else|export|extends|false|"
               u"finally|for|function|if|import|in|instanceof|let|new|null|return|static|super|switch|this|throw|"
               u"true|try|typeof|undefined|var|while|yield"_s;
    case F::sql:
        return u"ALTER|AND|AS|ASC|BY|CREATE|DELETE|DESC|DISTINCT|DROP|FROM|GROUP|HAVING|INDEX|INSERT|INTO|JOIN|"
               u"LIMIT|NOT|NULL|ON|OR|ORDER|SELECT|SET|TABLE|UPDATE|VALUES|VIEW|WHERE"_s;
    case F::markdown:
    case F::sourceCode:
    case F::plain:
        break;
    }
    return u"break|case|class|continue|else|enum|false|for|function|if|import|let|nil|null|private|public|return|"
           u"static|struct|true|var|while"_s;
}

// Digits are part of both look-arounds so that a run of digits ending an identifier ("x12") or starting one
// ("12ab") gets no number colour anywhere in the run.
const QString numberPattern = uR"re((?<![A-Za-z0-9_])(?:0x[0-9A-Fa-f]+|\d+(?:\.\d+)?)(?![A-Za-z0-9_]))re"_s;
const QString jsonKeyPattern = uR"re((?m)\"(?:\\.|[^\"\\])*\"(?=\s*:))re"_s;
const QString yamlKeyPattern = uR"re((?m)^\s*[A-Za-z_][A-Za-z0-9_.-]*(?=\s*:))re"_s;
const QString stringPattern = uR"re((?s)(?:\"(?:\\.|[^\"\\])*\"|'(?:\\.|[^'\\])*'))re"_s;
const QString markerPattern = uR"re((?m)^\s{0,3}(?:#{1,6}|>|[-*+] |\d+[.)] ))re"_s;
const QString strongPattern = uR"re((?:\*\*|__)(?=\S).+?(?<=\S)(?:\*\*|__))re"_s;

QString commentPattern(F format) {
    switch (format) {
    case F::markdown:
        return uR"re((?s)<!--.*?-->)re"_s;
    case F::yaml:
    case F::shell:
    case F::python:
        return uR"re((?m)#.*$)re"_s;
    case F::sql:
        return uR"re((?m:--.*$)|(?s:/\*.*?\*/))re"_s;
    case F::json:
        return u"(?!)"_s;
    case F::swift:
    case F::javascript:
    case F::sourceCode:
    case F::plain:
        break;
    }
    return uR"re((?m://.*$)|(?s:/\*.*?\*/))re"_s;
}

QList<std::pair<QString, HighlightRole>> passes(F format) {
    QList<std::pair<QString, HighlightRole>> list{{numberPattern, HighlightRole::number},
                                                  {keywordPattern(format), HighlightRole::keyword}};
    if (format == F::json)
        list.append({jsonKeyPattern, HighlightRole::key});
    else if (format == F::yaml)
        list.append({yamlKeyPattern, HighlightRole::key});
    list.append({stringPattern, HighlightRole::string});
    list.append({commentPattern(format), HighlightRole::comment});
    if (format == F::markdown) {
        list.append({markerPattern, HighlightRole::markdownMarker});
        list.append({strongPattern, HighlightRole::strongEmphasis});
    }
    return list;
}

constexpr qint8 baseRole = -1;

} // namespace

HighlightFont font(TextContentFormat format) {
    return format == F::plain ? HighlightFont::proportionalMedium : HighlightFont::monospacedRegular;
}

QString keywordPattern(TextContentFormat format) {
    return u"(?i)\\b(?:"_s + keywords(format) + u")\\b"_s;
}

HighlightedText highlight(QStringView text, TextContentFormat format, std::optional<qsizetype> limit) {
    HighlightedText result;
    result.text = (limit ? Graphemes::prefix(text, std::max<qsizetype>(*limit, 0)) : text).toString();
    result.font = font(format);
    if (format == F::plain || result.text.isEmpty())
        return result;

    // One role per code unit, painted pass by pass so that later passes win, then read back as runs.
    QList<qint8> roles(result.text.size(), baseRole);
    for (const auto& [pattern, role] : passes(format)) {
        const std::optional<Regex> regex = RegexCache::regex(pattern);
        if (!regex)
            continue;
        for (const TextRange& range : regex->matches(result.text))
            std::fill_n(roles.begin() + range.location, range.length, static_cast<qint8>(role));
    }
    for (qsizetype i = 0; i < roles.size();) {
        qsizetype end = i + 1;
        while (end < roles.size() && roles[end] == roles[i])
            ++end;
        if (roles[i] != baseRole)
            result.runs.append({i, end - i, static_cast<HighlightRole>(roles[i])});
        i = end;
    }
    return result;
}

} // namespace TextSyntaxHighlighter

} // namespace stowline
