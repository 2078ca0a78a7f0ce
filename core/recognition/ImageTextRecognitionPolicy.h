#pragma once

#include "core/model/ClipItem.h"
#include "core/search/TextFolder.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace stowline::ImageTextRecognitionPolicy {

inline constexpr qint64 currentVersion = 1;
// The stored recognised text never has more user-perceived characters than this.
inline constexpr qsizetype maximumCharacters = 32768;

// An image clip not yet recognised under the current rules.
bool needsRecognition(const ClipItem& item);
// The recogniser's strings as one text: lines trimmed, empty lines dropped, a line repeated in another letter
// case, accent or width dropped (the first form is kept), joined with line feeds and capped. Nothing when no
// line is left.
std::optional<QString> normalizedText(const QStringList& candidates, const TextFolder& folder = TextFolder());
// The first line of the text that contains one of the required (already folded) terms of a search, trimmed
// and cut to `maximumCharacters` characters with "…" after a cut. Nothing when there are no required terms or
// no line matches. The terms are a search's `requiredTerms`, folded with the same `folder`.
std::optional<QString> matchingExcerpt(const std::optional<QString>& text, const QStringList& requiredTerms,
                                       qsizetype maximumCharacters, const TextFolder& folder = TextFolder());

} // namespace stowline::ImageTextRecognitionPolicy
