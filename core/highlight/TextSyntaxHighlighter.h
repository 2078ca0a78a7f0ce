#pragma once

#include "core/model/TextContentFormat.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace stowline {

// What a coloured range means; the views map roles to palette colours.
enum class HighlightRole { number, keyword, key, string, comment, markdownMarker, strongEmphasis };

enum class HighlightFont {
    monospacedRegular,  // every format but plain
    proportionalMedium, // plain
};

struct HighlightRun {
    qsizetype location = 0; // UTF-16 offset into the highlighted text
    qsizetype length = 0;
    HighlightRole role = HighlightRole::number;

    friend bool operator==(const HighlightRun&, const HighlightRun&) = default;
};

struct HighlightedText {
    QString text; // the possibly cut text the runs refer to
    HighlightFont font = HighlightFont::proportionalMedium;
    // Sorted, not overlapping; text outside every run has the base colour.
    QList<HighlightRun> runs;

    // The role at a UTF-16 offset, nothing for base text.
    std::optional<HighlightRole> roleAt(qsizetype offset) const;
};

namespace TextSyntaxHighlighter {

inline constexpr qsizetype previewCharacterLimit = 800;
inline constexpr qsizetype editorCharacterLimit = 200000;

HighlightFont font(TextContentFormat format);
// "(?i)\b(?:" + the format's words + ")\b".
QString keywordPattern(TextContentFormat format);
// Cuts the text to `limit` user-perceived characters, then runs the colouring passes in order; where passes
// overlap the later one wins. Any thread.
HighlightedText highlight(QStringView text, TextContentFormat format, std::optional<qsizetype> limit);

} // namespace TextSyntaxHighlighter

} // namespace stowline
