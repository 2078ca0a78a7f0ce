#include "app/ui/history/ClipRowTexts.h"

#include "core/metadata/ClipPresentationMetadata.h"
#include "core/metadata/RelativeTimeText.h"
#include "core/recognition/ImageTextRecognitionPolicy.h"

#include <QStringList>

namespace stowline::ClipRowTexts {

QString metadataLine(const ClipItem& item, bool showApplicationIdentifiers, Timestamp now) {
    QStringList parts;
    parts.append(label(item.kind()).toUpper());
    if (item.textFormat() && *item.textFormat() != TextContentFormat::plain)
        parts.append(label(*item.textFormat()).toUpper());
    if (item.sourceAppName())
        parts.append(*item.sourceAppName());
    if (showApplicationIdentifiers && item.sourceBundleIdentifier())
        parts.append(*item.sourceBundleIdentifier());
    if (const std::optional<QString> detail = ClipPresentationMetadata::detail(item))
        parts.append(*detail);
    parts.append(RelativeTimeText::text(item.lastUsedAt(), now));
    return parts.join(QStringLiteral(" • "));
}

QString accessibilityLabel(const ClipItem& item, bool showApplicationIdentifiers, const SmartSearch& search) {
    QStringList parts;
    if (item.kind() == ClipKind::image) {
        parts.append(QStringLiteral("Image"));
    } else {
        parts.append(label(item.kind()));
        parts.append(item.title());
    }
    if (item.sourceAppName())
        parts.append(u"from " + *item.sourceAppName());
    if (showApplicationIdentifiers && item.sourceBundleIdentifier())
        parts.append(*item.sourceBundleIdentifier());
    if (const std::optional<QString> detail = ClipPresentationMetadata::detail(item))
        parts.append(*detail);
    if (const std::optional<QString> excerpt = ImageTextRecognitionPolicy::matchingExcerpt(
            item.recognizedText(), search.requiredTerms(), 180, search.folder()))
        parts.append(u"Text in image: " + *excerpt);
    return parts.join(QStringLiteral(", "));
}

QString recognizedTextHint() {
    return QStringLiteral("Line: click  •  Word: Shift+click  •  All: empty space");
}

} // namespace stowline::ClipRowTexts
