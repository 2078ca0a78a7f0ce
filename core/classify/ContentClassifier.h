#pragma once

#include "core/model/ClipKind.h"
#include "core/model/ClipRepresentation.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace stowline::ContentClassifier {

inline constexpr qsizetype titleLength = 80;
inline constexpr qsizetype capturePreviewLimit = 800;
inline constexpr char16_t fileNameSeparator[] = u" \u2022 ";

ClipKind kind(QStringView text, bool hasRichText);
bool isHexColor(QStringView text);
QString title(QStringView text, ClipKind kind);
QString preview(QStringView text, qsizetype limit);
QString hash(const ClipRepresentations& representations);

// What a clipboard snapshot becomes: its kind and display texts, and the plain text it carried.
struct CaptureDescription {
    ClipKind kind = ClipKind::text;
    QString title;
    QString preview;
    std::optional<QString> plainText;
    // Only plain and rich text clips get a detected text format.
    bool detectsTextFormat() const { return kind == ClipKind::text || kind == ClipKind::richText; }
};

// Nothing when the snapshot makes no clip (only rich text, only white space, nothing readable).
std::optional<CaptureDescription> describeCapture(const ClipRepresentations& representations,
                                                  const std::optional<QString>& sourceAppName);
// The first plain-text representation read as UTF-8, if it is valid.
std::optional<QString> plainText(const ClipRepresentations& representations);
qint64 byteCount(const ClipRepresentations& representations);

} // namespace stowline::ContentClassifier
