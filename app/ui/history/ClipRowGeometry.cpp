#include "app/ui/history/ClipRowGeometry.h"

#include "app/ui/history/RowTextLayout.h"
#include "app/ui/style/StowlineStyle.h"
#include "core/highlight/TextSyntaxHighlighter.h"
#include "app/ui/style/StyleMetrics.h"

#include <QFontMetricsF>

#include <algorithm>

namespace stowline {

namespace {

constexpr qreal kPadding = 12;
constexpr qreal kIconSize = 40;
constexpr qreal kImageSize = 56;
constexpr qreal kButtonSize = 24;
constexpr qreal kButtonGap = 4;
constexpr qreal kPaneInset = 10;

bool hasRecognizedText(const ClipItem& item) {
    return item.recognizedText() && !item.recognizedText()->isEmpty();
}

} // namespace

ClipRowGeometry::ClipRowGeometry() {
    refresh();
}

void ClipRowGeometry::setSettings(const ClipRowSettings& settings) {
    m_settings = settings;
    refresh();
}

void ClipRowGeometry::setWidth(int width) {
    if (width == m_width)
        return;
    m_width = width;
    m_measured.clear();
}

void ClipRowGeometry::refresh() {
    Fonts& f = m_fonts;
    f.title = StowlineStyle::font(TextSize::body, QFont::DemiBold);
    f.metadata = StowlineStyle::font(TextSize::metadata);
    f.paneHeading = StowlineStyle::font(TextSize::badge, QFont::Bold);
    f.paneText = StowlineStyle::font(TextSize::footnote, QFont::Medium);
    f.paneHint = StowlineStyle::font(TextSize::paneHint, QFont::Medium);
    f.previewProportional = StowlineStyle::font(m_settings.previewFontSize, QFont::Medium);
    f.previewMonospaced = StowlineStyle::monospacedFont(m_settings.previewFontSize);
    f.titleLine = QFontMetricsF(f.title).lineSpacing();
    f.metadataLine = QFontMetricsF(f.metadata).lineSpacing();
    f.paneHeadingLine = QFontMetricsF(f.paneHeading).lineSpacing();
    f.paneTextLine = QFontMetricsF(f.paneText).lineSpacing();
    f.paneHintLine = QFontMetricsF(f.paneHint).lineSpacing();
    m_measured.clear();
}

bool ClipRowGeometry::isMonospaced(const ClipItem& item) {
    return TextSyntaxHighlighter::font(item.textFormat().value_or(TextContentFormat::plain)) ==
           HighlightFont::monospacedRegular;
}

QString ClipRowGeometry::previewText(const ClipItem& item) {
    return item.preview().left(TextSyntaxHighlighter::previewCharacterLimit);
}

ClipRowGeometry::Measured ClipRowGeometry::measure(const ClipItem& item, qreal contentWidth,
                                                   qreal paneTextWidth) const {
    const int recognized = hasRecognizedText(item) ? int(item.recognizedText()->size()) : -1;
    const size_t key = qHashMulti(0, item.contentHash(), recognized, int(isMonospaced(item)));
    if (const auto found = m_measured.constFind(key); found != m_measured.cend())
        return *found;
    Measured measured;
    const RowTextLayout preview(previewText(item),
                                isMonospaced(item) ? m_fonts.previewMonospaced : m_fonts.previewProportional,
                                contentWidth, m_settings.previewLineCount);
    measured.previewLines = preview.lineCount();
    measured.previewHeight = preview.height();
    if (recognized > 0) {
        measured.paneTextHeight =
            RowTextLayout(*item.recognizedText(), m_fonts.paneText, paneTextWidth, recognizedTextLines).height();
    }
    m_measured.insert(key, measured);
    return measured;
}

ClipRowGeometry::Parts ClipRowGeometry::parts(const QRectF& rowRect, const ClipItem& item) const {
    Parts g;
    g.card = rowRect.adjusted(0, 0, 0, -rowSpacing);
    const bool image = item.kind() == ClipKind::image;
    const qreal iconSide = image ? kImageSize : kIconSize;
    g.icon = QRectF(g.card.left() + kPadding, g.card.top() + kPadding, iconSide, iconSide);
    const qreal contentLeft = g.icon.right() + kPadding;
    const qreal buttons = 2 * kButtonSize + kButtonGap;
    const qreal contentRight = g.card.right() - kPadding - buttons - 8;
    const qreal contentWidth = std::max<qreal>(40, contentRight - contentLeft);
    g.remove = QRectF(g.card.right() - kPadding - kButtonSize, g.card.top() + 9, kButtonSize, kButtonSize);
    g.favorite = g.remove.translated(-(kButtonSize + kButtonGap), 0);

    const qreal paneWidth = g.card.right() - kPadding - contentLeft;
    const qreal paneTextWidth = paneWidth - 2 * kPaneInset;
    const Measured measured = measure(item, contentWidth, paneTextWidth);
    g.title = QRectF(contentLeft, g.card.top() + 10, contentWidth, m_fonts.titleLine);
    g.previewLines = measured.previewLines;
    g.preview = QRectF(contentLeft, g.title.bottom() + 3, contentWidth, measured.previewHeight);
    g.metadata = QRectF(contentLeft, g.preview.bottom() + 5, contentWidth, m_fonts.metadataLine);
    qreal bottom = g.metadata.bottom();
    if (image) {
        const qreal heading = m_fonts.paneHeadingLine + 4;
        const bool text = measured.paneTextHeight > 0;
        const qreal textHeight = text ? measured.paneTextHeight : m_fonts.paneTextLine;
        const qreal body = text ? textHeight + 3 + m_fonts.paneHintLine : textHeight;
        g.pane = QRectF(contentLeft, bottom + 8, paneWidth, 8 + heading + body + 8);
        g.paneText = QRectF(contentLeft + kPaneInset, g.pane.top() + 8 + heading, paneTextWidth, textHeight);
        bottom = g.pane.bottom();
    }
    bottom = std::max(bottom, g.icon.bottom()) + kPadding;
    g.card.setBottom(bottom);
    return g;
}

int ClipRowGeometry::height(const ClipItem& item) const {
    return qCeil(parts(QRectF(0, 0, m_width, 0), item).card.height()) + rowSpacing;
}

} // namespace stowline
