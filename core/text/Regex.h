#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>

namespace stowline {

// A range of UTF-16 code units.
struct TextRange {
    qsizetype location = 0;
    qsizetype length = 0;

    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// A compiled ICU regular expression. Copies share the compiled pattern, and matching from several threads at
// once is safe: every call uses its own matcher. Each call has a fixed budget of engine steps, so a pattern
// that backtracks badly on hostile text gives up (counting as no further match) instead of hanging; the budget
// counts steps, not time, so the outcome is the same on every machine.
class Regex {
public:
    // Nothing when the pattern does not compile.
    static std::optional<Regex> compile(QStringView pattern, bool caseInsensitive = false);

    // A search finds a match anywhere in the subject.
    bool isMatchedIn(QStringView subject) const;
    // Non-overlapping matches, counted up to `upTo`.
    qsizetype countMatches(QStringView subject, qsizetype upTo) const;
    // Subjects (searched one by one) that contain a match, counted up to `upTo`.
    qsizetype countMatchingSubjects(const QList<QStringView>& subjects, qsizetype upTo) const;
    // Every non-empty, non-overlapping match in order.
    QList<TextRange> matches(QStringView subject) const;

private:
    struct Compiled;
    explicit Regex(std::shared_ptr<const Compiled> compiled);
    std::shared_ptr<const Compiled> m_compiled;
};

} // namespace stowline
