#include "core/detect/TextFormatDetector.h"

#include "core/text/Graphemes.h"
#include "core/text/JsonSyntax.h"
#include "core/text/Lines.h"
#include "core/text/Regex.h"
#include "core/text/WhiteSpace.h"

#include <algorithm>
#include <optional>

namespace stowline::TextFormatDetector {

namespace {

struct Patterns {
    std::optional<Regex> memberName = Regex::compile(uR"re(\"(?:\\.|[^\"\\])+\"\s*:)re");

    std::optional<Regex> heading = Regex::compile(uR"re(^\s{0,3}#{1,6}\s+\S)re");
    std::optional<Regex> listItem = Regex::compile(uR"re(^\s{0,3}([-*+] |\d+[.)] )\S)re");
    std::optional<Regex> blockQuote = Regex::compile(uR"re(^\s{0,3}>\s+\S)re");
    std::optional<Regex> inlineLink = Regex::compile(uR"re(\[[^\]\n]+\]\([^\)\n]+\))re");
    std::optional<Regex> horizontalRule = Regex::compile(uR"re(^\s{0,3}([-*_])(?:\s*\1){2,}\s*$)re");

    std::optional<Regex> sqlSelect = Regex::compile(uR"re((?is)\bSELECT\b.+\bFROM\b)re");
    std::optional<Regex> sqlChange =
        Regex::compile(uR"re((?is)\bINSERT\s+INTO\b|\bUPDATE\b.+\bSET\b|\bDELETE\s+FROM\b)re");
    std::optional<Regex> sqlCreate = Regex::compile(uR"re((?is)\bCREATE\s+(?:TABLE|INDEX|VIEW)\b)re");
    std::optional<Regex> sqlClause =
        Regex::compile(uR"re((?i)\b(?:WHERE|JOIN|GROUP\s+BY|ORDER\s+BY|HAVING|LIMIT)\b)re");

    std::optional<Regex> swiftImport =
        Regex::compile(uR"re((?m)^\s*import\s+(?:Foundation|AppKit|SwiftUI|UIKit|Combine)\b)re");
    std::optional<Regex> swiftType =
        Regex::compile(uR"re(\b(?:struct|class|actor|protocol|extension|enum)\s+[A-Z][A-Za-z0-9_]*)re");
    std::optional<Regex> swiftFunc = Regex::compile(uR"re(\bfunc\s+[A-Za-z_][A-Za-z0-9_]*\s*\()re");
    std::optional<Regex> swiftBinding =
        Regex::compile(uR"re(\b(?:let|var)\s+[A-Za-z_][A-Za-z0-9_]*(?:\s*:\s*[A-Z][A-Za-z0-9_<>, ?]*)?\s*=)re");

    std::optional<Regex> pythonDef =
        Regex::compile(uR"re((?m)^\s*(?:async\s+)?def\s+[A-Za-z_][A-Za-z0-9_]*\s*\([^\n]*\)\s*(?:->\s*[^:]+)?\s*:)re");
    std::optional<Regex> pythonImport = Regex::compile(uR"re((?m)^\s*(?:from\s+[A-Za-z0-9_.]+\s+)?import\s+)re");
    std::optional<Regex> pythonClass =
        Regex::compile(uR"re((?m)^\s*class\s+[A-Za-z_][A-Za-z0-9_]*(?:\([^\n]*\))?\s*:)re");

    std::optional<Regex> jsBinding = Regex::compile(uR"re(\b(?:const|let|var)\s+[A-Za-z_$][A-Za-z0-9_$]*\s*=)re");
    std::optional<Regex> jsFunction = Regex::compile(uR"re(\b(?:async\s+)?function\s+[A-Za-z_$][A-Za-z0-9_$]*\s*\()re");
    std::optional<Regex> jsModule = Regex::compile(uR"re((?m)^\s*(?:import|export)\s+)re");
    std::optional<Regex> jsType = Regex::compile(uR"re(\b(?:interface|type)\s+[A-Z][A-Za-z0-9_]*\s*(?:=|\{))re");

    std::optional<Regex> shellCommand = Regex::compile(
        uR"re((?m)^\s*(?:sudo\s+)?(?:cd|ls|cp|mv|rm|mkdir|curl|wget|git|brew|swift|xcodebuild|defaults)\s+)re");
    std::optional<Regex> shellVariable = Regex::compile(uR"re(\$\{?[A-Za-z_][A-Za-z0-9_]*\}?)re");
    std::optional<Regex> shellControl = Regex::compile(uR"re((?m)^\s*(?:if|for|while)\s+.+(?:then|do)\s*$)re");

    std::optional<Regex> yamlKey = Regex::compile(uR"re(^\s*[A-Za-z_][A-Za-z0-9_.-]*:\s*(?:[^/].*)?$)re");
    std::optional<Regex> yamlItem = Regex::compile(uR"re(^\s*-\s+(?:[A-Za-z_][A-Za-z0-9_.-]*:\s*)?.+)re");

    std::optional<Regex> modifier = Regex::compile(uR"re((?m)^\s*(?:public|private|protected|static|final)\s+)re");
    std::optional<Regex> operatorToken = Regex::compile(uR"re((?:==|!=|<=|>=|\+=|-=|::|->))re");
    std::optional<Regex> comment = Regex::compile(uR"re((?m)^\s*//|/\*|\*/\s*$)re");
};

const Patterns& patterns() {
    static const Patterns compiled;
    return compiled;
}

// A pattern that failed to compile counts as not matching.
bool found(const std::optional<Regex>& pattern, QStringView subject) {
    return pattern && pattern->isMatchedIn(subject);
}

qsizetype matchingLines(const std::optional<Regex>& pattern, const QList<QStringView>& lines, qsizetype upTo) {
    return pattern ? pattern->countMatchingSubjects(lines, upTo) : 0;
}

QStringView trimmedBlanks(QStringView line) {
    qsizetype start = 0;
    qsizetype end = line.size();
    while (start < end && (line[start] == u' ' || line[start] == u'\t'))
        ++start;
    while (end > start && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
        --end;
    return line.sliced(start, end - start);
}

} // namespace

TextContentFormat detect(QStringView text) {
    const qsizetype sampleLength = Graphemes::prefixLength(text, classificationCharacterLimit);
    // Text left after the sample holds at least one more character.
    const bool originalWasLonger = sampleLength < text.size();
    const QStringView sample = WhiteSpace::trimmed(text.first(sampleLength));
    if (sample.isEmpty())
        return TextContentFormat::plain;
    if (isJSON(sample) || looksLikeTruncatedJSON(sample, originalWasLonger))
        return TextContentFormat::json;

    const QList<QStringView> sampleLines = lines(sample);
    if (markdownScore(sampleLines, sample) >= 3)
        return TextContentFormat::markdown;
    if (sqlScore(sample) >= 3)
        return TextContentFormat::sql;
    if (swiftScore(sample) >= 3)
        return TextContentFormat::swift;
    if (pythonScore(sampleLines, sample) >= 3)
        return TextContentFormat::python;
    if (javascriptScore(sample) >= 3)
        return TextContentFormat::javascript;
    if (shellScore(sampleLines, sample) >= 3)
        return TextContentFormat::shell;
    if (yamlScore(sampleLines, sample) >= 3)
        return TextContentFormat::yaml;
    if (genericCodeScore(sample) >= 4)
        return TextContentFormat::sourceCode;
    return TextContentFormat::plain;
}

bool isJSON(QStringView sample) {
    if (!sample.startsWith(u'{') && !sample.startsWith(u'['))
        return false;
    return JsonSyntax::container(sample).has_value();
}

bool looksLikeTruncatedJSON(QStringView sample, bool originalWasLonger) {
    if (!originalWasLonger || (!sample.startsWith(u'{') && !sample.startsWith(u'[')))
        return false;
    const auto& pattern = patterns().memberName;
    return pattern && pattern->countMatches(sample, 2) >= 2;
}

QList<QStringView> lines(QStringView sample) {
    return Lines::split(sample);
}

int markdownScore(const QList<QStringView>& lines, QStringView sample) {
    const Patterns& p = patterns();
    int score = 0;
    if (sample.contains(u"```") || sample.contains(u"~~~"))
        score += 3;
    if (matchingLines(p.heading, lines, 1) >= 1)
        score += 2;
    if (matchingLines(p.listItem, lines, 2) >= 2)
        score += 2;
    if (matchingLines(p.blockQuote, lines, 1) >= 1)
        score += 1;
    if (found(p.inlineLink, sample))
        score += 2;
    if (matchingLines(p.horizontalRule, lines, 1) >= 1)
        score += 1;
    return score;
}

int sqlScore(QStringView sample) {
    const Patterns& p = patterns();
    int score = 0;
    if (found(p.sqlSelect, sample))
        score += 3;
    if (found(p.sqlChange, sample))
        score += 3;
    if (found(p.sqlCreate, sample))
        score += 3;
    if (found(p.sqlClause, sample))
        score += 1;
    return score;
}

int swiftScore(QStringView sample) {
    const Patterns& p = patterns();
    int score = 0;
    if (found(p.swiftImport, sample))
        score += 2;
    if (found(p.swiftType, sample))
        score += 2;
    if (found(p.swiftFunc, sample))
        score += 2;
    if (found(p.swiftBinding, sample))
        score += 1;
    if (sample.contains(u"guard let ") || sample.contains(u"if let "))
        score += 1;
    return score;
}

int pythonScore(const QList<QStringView>& lines, QStringView sample) {
    const Patterns& p = patterns();
    int score = 0;
    if (found(p.pythonDef, sample))
        score += 3;
    if (found(p.pythonImport, sample))
        score += 1;
    if (found(p.pythonClass, sample))
        score += 2;
    const bool indented = std::any_of(lines.begin(), lines.end(), [](QStringView line) {
        return line.startsWith(u"    ") || line.startsWith(u'\t');
    });
    if (indented && sample.contains(u":\n"))
        score += 1;
    if (sample.contains(u"self.") || sample.contains(u"None"))
        score += 1;
    return score;
}

int javascriptScore(QStringView sample) {
    const Patterns& p = patterns();
    int score = 0;
    if (found(p.jsBinding, sample))
        score += 1;
    if (found(p.jsFunction, sample))
        score += 2;
    if (sample.contains(u"=>"))
        score += 2;
    if (found(p.jsModule, sample))
        score += 1;
    if (sample.contains(u"console.") || sample.contains(u"document.") || sample.contains(u"JSON."))
        score += 1;
    if (found(p.jsType, sample))
        score += 2;
    return score;
}

int shellScore(const QList<QStringView>& lines, QStringView sample) {
    const Patterns& p = patterns();
    int score = 0;
    if (!lines.isEmpty() && lines.first().startsWith(u"#!") && lines.first().contains(u"sh"))
        score += 4;
    if (found(p.shellCommand, sample))
        score += 2;
    if (found(p.shellVariable, sample))
        score += 1;
    if (sample.contains(u" && ") || sample.contains(u" | ") || sample.contains(u"; do"))
        score += 1;
    if (found(p.shellControl, sample))
        score += 2;
    return score;
}

int yamlScore(const QList<QStringView>& lines, QStringView sample) {
    if (sample.contains(u'{') || sample.contains(u';'))
        return 0;
    QList<QStringView> kept;
    for (QStringView line : lines) {
        if (!trimmedBlanks(line).isEmpty())
            kept.append(line);
    }
    if (kept.isEmpty())
        return 0;
    const Patterns& p = patterns();
    const qsizetype keys = matchingLines(p.yamlKey, kept, kept.size());
    const qsizetype items = matchingLines(p.yamlItem, kept, kept.size());
    int score = 0;
    if (trimmedBlanks(kept.first()) == u"---")
        score += 2;
    if (keys >= 2)
        score += 3;
    else if (keys == 1 && items >= 1)
        score += 2;
    if (items >= 2)
        score += 1;
    if (keys >= 1 && sample.contains(u"\n  "))
        score += 1;
    return score;
}

int genericCodeScore(QStringView sample) {
    const Patterns& p = patterns();
    int score = 0;
    if (sample.contains(u'{') && sample.contains(u'}'))
        score += 1;
    if (sample.contains(u'(') && sample.contains(u')'))
        score += 1;
    if (sample.count(u';') >= 2)
        score += 2;
    if (found(p.modifier, sample))
        score += 1;
    if (found(p.operatorToken, sample))
        score += 1;
    if (found(p.comment, sample))
        score += 1;
    return score;
}

} // namespace stowline::TextFormatDetector
