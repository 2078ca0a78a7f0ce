#include "core/text/Regex.h"

#include <unicode/regex.h>

#include <limits>

namespace stowline {

namespace {

// One engine tick is 10000 matching steps; a budget of 3000 ticks is far beyond what any sane subject of the
// sizes used here needs (a few hundred thousand characters take well under a hundred ticks per pattern).
constexpr int32_t stepBudgetTicks = 3000;
// The backtracking stack of one match; ICU's own default, stated so the bound is visible.
constexpr int32_t backtrackStackBytes = 8 * 1024 * 1024;

struct Budget {
    int32_t ticksLeft = stepBudgetTicks;
};

UBool U_CALLCONV spendTick(const void* context, int32_t) {
    auto* budget = static_cast<Budget*>(const_cast<void*>(context));
    return --budget->ticksLeft > 0;
}

// Reads the subject in place; ICU never copies it.
icu::UnicodeString alias(QStringView subject) {
    static const char16_t empty[] = u"";
    const qsizetype length = std::min<qsizetype>(subject.size(), std::numeric_limits<int32_t>::max());
    return icu::UnicodeString(false, length > 0 ? subject.utf16() : empty, static_cast<int32_t>(length));
}

} // namespace

struct Regex::Compiled {
    std::unique_ptr<icu::RegexPattern> pattern;

    // A matcher bound to the budget; the caller keeps the budget alive while matching.
    std::unique_ptr<icu::RegexMatcher> matcher(Budget& budget) const {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::RegexMatcher> created(pattern->matcher(status));
        if (U_FAILURE(status))
            return nullptr;
        created->setStackLimit(backtrackStackBytes, status);
        created->setMatchCallback(spendTick, &budget, status);
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }
};

Regex::Regex(std::shared_ptr<const Compiled> compiled) : m_compiled(std::move(compiled)) {}

std::optional<Regex> Regex::compile(QStringView pattern, bool caseInsensitive) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    auto compiled = std::make_shared<Compiled>();
    compiled->pattern.reset(
        icu::RegexPattern::compile(alias(pattern), caseInsensitive ? UREGEX_CASE_INSENSITIVE : 0, parseError, status));
    if (U_FAILURE(status) || !compiled->pattern)
        return std::nullopt;
    return Regex(std::move(compiled));
}

bool Regex::isMatchedIn(QStringView subject) const {
    return countMatches(subject, 1) > 0;
}

qsizetype Regex::countMatches(QStringView subject, qsizetype upTo) const {
    Budget budget;
    const auto matcher = m_compiled->matcher(budget);
    if (!matcher || upTo <= 0)
        return 0;
    const icu::UnicodeString input = alias(subject);
    matcher->reset(input);
    qsizetype count = 0;
    UErrorCode status = U_ZERO_ERROR;
    while (count < upTo && matcher->find(status) && U_SUCCESS(status))
        ++count;
    return count;
}

qsizetype Regex::countMatchingSubjects(const QList<QStringView>& subjects, qsizetype upTo) const {
    Budget budget;
    const auto matcher = m_compiled->matcher(budget);
    if (!matcher)
        return 0;
    qsizetype count = 0;
    for (QStringView subject : subjects) {
        if (count >= upTo || budget.ticksLeft <= 0)
            break;
        const icu::UnicodeString input = alias(subject);
        matcher->reset(input);
        UErrorCode status = U_ZERO_ERROR;
        if (matcher->find(status) && U_SUCCESS(status))
            ++count;
    }
    return count;
}

QList<TextRange> Regex::matches(QStringView subject) const {
    QList<TextRange> ranges;
    Budget budget;
    const auto matcher = m_compiled->matcher(budget);
    if (!matcher)
        return ranges;
    const icu::UnicodeString input = alias(subject);
    matcher->reset(input);
    UErrorCode status = U_ZERO_ERROR;
    while (matcher->find(status) && U_SUCCESS(status)) {
        const int32_t start = matcher->start(status);
        const int32_t end = matcher->end(status);
        if (U_FAILURE(status))
            break;
        if (end > start)
            ranges.append({start, end - start});
    }
    return ranges;
}

} // namespace stowline
