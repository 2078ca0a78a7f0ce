#include "core/recognition/ImageTextRecognitionPolicy.h"

#include "core/search/TextFolder.h"
#include "core/text/Graphemes.h"
#include "core/text/Lines.h"
#include "core/text/WhiteSpace.h"

#include <QSet>

#include <algorithm>

namespace stowline::ImageTextRecognitionPolicy {

bool needsRecognition(const ClipItem& item) {
    return item.kind() == ClipKind::image && item.textRecognitionVersion() != currentVersion;
}

std::optional<QString> normalizedText(const QStringList& candidates, const TextFolder& folder) {
    QSet<QString> seen;
    QStringList kept;
    for (const QString& candidate : candidates) {
        for (QStringView line : Lines::split(candidate)) {
            const QStringView trimmed = WhiteSpace::trimmed(line);
            if (trimmed.isEmpty())
                continue;
            QString folded = folder.fold(trimmed);
            if (seen.contains(folded))
                continue;
            seen.insert(std::move(folded));
            kept.append(trimmed.toString());
        }
    }
    if (kept.isEmpty())
        return std::nullopt;
    const QString joined = kept.join(u'\n');
    const qsizetype cut = Graphemes::prefixLength(joined, maximumCharacters);
    if (cut == joined.size())
        return joined;
    // The text starts with a trimmed line, so trimming only removes blanks left at the end of the cut.
    return WhiteSpace::trimmed(QStringView(joined).first(cut)).toString();
}

std::optional<QString> matchingExcerpt(const std::optional<QString>& text, const QStringList& requiredTerms,
                                       qsizetype maximumCharacters, const TextFolder& folder) {
    if (!text || text->isEmpty() || maximumCharacters < 1 || requiredTerms.isEmpty())
        return std::nullopt;
    for (QStringView line : Lines::split(*text)) {
        const QString folded = folder.fold(line);
        const bool matches = std::any_of(requiredTerms.begin(), requiredTerms.end(),
                                         [&](const QString& term) { return folded.contains(term); });
        if (!matches)
            continue;
        const QStringView trimmed = WhiteSpace::trimmed(line);
        const qsizetype cut = Graphemes::prefixLength(trimmed, maximumCharacters);
        if (cut == trimmed.size())
            return trimmed.toString();
        return WhiteSpace::trimmed(trimmed.first(cut)).toString() + u'\u2026';
    }
    return std::nullopt;
}

} // namespace stowline::ImageTextRecognitionPolicy
