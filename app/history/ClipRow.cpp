#include "app/history/ClipRow.h"

#include "app/history/ColorSwatch.h"
#include "app/history/HistoryListModel.h"
#include "app/history/Symbols.h"
#include "app/style/StowlineStyle.h"
#include "core/metadata/ClipPresentationMetadata.h"
#include "core/metadata/RelativeTimeText.h"
#include "core/recognition/ImageTextCopyPolicy.h"
#include "core/recognition/ImageTextRecognitionPolicy.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextCharFormat>
#include <QToolTip>

#include <algorithm>

namespace stowline {

namespace {

constexpr qreal kPadding = 12;
constexpr qreal kIconSize = 40;
constexpr qreal kImageSize = 56;
constexpr qreal kButtonSize = 24;
constexpr qreal kButtonGap = 4;
constexpr qreal kCardRadius = 10;

bool hasRecognizedText(const ClipItem& item) {
    return item.recognizedText() && !item.recognizedText()->isEmpty();
}

QList<QTextLayout::FormatRange> formatsOf(const HighlightedText& text) {
    QList<QTextLayout::FormatRange> formats;
    formats.reserve(text.runs.size());
    for (const HighlightRun& run : text.runs) {
        QTextCharFormat format;
        format.setForeground(StowlineStyle::color(run.role));
        formats.append({int(run.location), int(run.length), format});
    }
    return formats;
}

// A role's colour made translucent, for fills laid over the row.
QColor tint(StyleRole role, float opacity) {
    QColor color = StowlineStyle::color(role);
    color.setAlphaF(opacity);
    return color;
}

Symbol symbolOf(ClipKind kind) {
    switch (kind) {
    case ClipKind::text:
        return Symbol::text;
    case ClipKind::link:
        return Symbol::link;
    case ClipKind::image:
        return Symbol::photo;
    case ClipKind::file:
        return Symbol::document;
    case ClipKind::richText:
        return Symbol::richText;
    case ClipKind::color:
        return Symbol::text;
    }
    return Symbol::text;
}

} // namespace

ClipRow::ClipRow(const HistoryListModel& model, Callbacks callbacks, QObject* parent)
    : QStyledItemDelegate(parent), m_model(model), m_callbacks(std::move(callbacks)) {
    m_flashTimer.setSingleShot(true);
    connect(&m_flashTimer, &QTimer::timeout, this, [this] {
        if (const auto flash = std::exchange(m_flash, std::nullopt))
            Q_EMIT repaintNeeded(flash->id);
    });
    // Cached colours follow the appearance.
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] {
        m_highlights.clear();
        updateMetrics();
    });
    updateMetrics();
}

void ClipRow::setSettings(const ClipRowSettings& settings) {
    m_settings = settings;
    m_highlights.clear();
    updateMetrics();
}

void ClipRow::updateMetrics() {
    Metrics& m = m_metrics;
    m.title = StowlineStyle::font(13, QFont::DemiBold);
    m.metadata = StowlineStyle::font(10.5);
    m.paneHeading = StowlineStyle::font(9, QFont::Bold);
    m.paneText = StowlineStyle::font(11, QFont::Medium);
    m.paneHint = StowlineStyle::font(8.5, QFont::Medium);
    m.previewProportional = StowlineStyle::font(m_settings.previewFontSize, QFont::Medium);
    m.previewMonospaced = StowlineStyle::monospacedFont(m_settings.previewFontSize);
    m.titleLine = QFontMetricsF(m.title).lineSpacing();
    m.metadataLine = QFontMetricsF(m.metadata).lineSpacing();
    m.paneHeadingLine = QFontMetricsF(m.paneHeading).lineSpacing();
    m.paneTextLine = QFontMetricsF(m.paneText).lineSpacing();
    m.paneHintLine = QFontMetricsF(m.paneHint).lineSpacing();
    const QFontMetricsF proportional(m.previewProportional);
    const QFontMetricsF monospaced(m.previewMonospaced);
    m.proportionalLine = proportional.lineSpacing();
    m.monospacedLine = monospaced.lineSpacing();
    m.proportionalCharacter = proportional.averageCharWidth();
    m.monospacedCharacter = monospaced.averageCharWidth();
    m.paneCharacter = QFontMetricsF(m.paneText).averageCharWidth();
}

QString ClipRow::recognizedTextHelp() {
    return QStringLiteral("Click a line to copy it. Shift-click a word. Click empty space to copy all text.");
}

QString ClipRow::recognizedTextHint() {
    return QStringLiteral("Line: click  •  Word: ⇧ click  •  All: empty space");
}

bool ClipRow::isMonospaced(const ClipItem& item) const {
    return TextSyntaxHighlighter::font(item.textFormat().value_or(TextContentFormat::plain)) ==
           HighlightFont::monospacedRegular;
}

const HighlightedText& ClipRow::highlighted(const ClipItem& item) const {
    const TextContentFormat format = item.textFormat().value_or(TextContentFormat::plain);
    const QString key = item.contentHash() + u'/' + rawValue(format);
    if (HighlightedText* cached = m_highlights.object(key))
        return *cached;
    auto* text = new HighlightedText(
        TextSyntaxHighlighter::highlight(item.preview(), format, TextSyntaxHighlighter::previewCharacterLimit));
    m_highlights.insert(key, text);
    return *text;
}

ClipRow::Geometry ClipRow::geometry(const QRect& rowRect, const ClipItem& item) const {
    Geometry g;
    g.card = QRectF(rowRect).adjusted(0, 0, 0, -rowSpacing);
    const bool image = item.kind() == ClipKind::image;
    const qreal iconSide = image ? kImageSize : kIconSize;
    g.icon = QRectF(g.card.left() + kPadding, g.card.top() + kPadding, iconSide, iconSide);
    const qreal contentLeft = g.icon.right() + kPadding;
    const qreal buttons = 2 * kButtonSize + kButtonGap;
    const qreal contentRight = g.card.right() - kPadding - buttons - 8;
    const qreal contentWidth = std::max<qreal>(40, contentRight - contentLeft);
    g.remove = QRectF(g.card.right() - kPadding - kButtonSize, g.card.top() + 9, kButtonSize, kButtonSize);
    g.favorite = g.remove.translated(-(kButtonSize + kButtonGap), 0);

    const Metrics& m = m_metrics;
    g.title = QRectF(contentLeft, g.card.top() + 10, contentWidth, m.titleLine);
    const bool monospaced = isMonospaced(item);
    g.previewLines =
        RowTextLayout::estimatedLineCount(item.preview(), monospaced ? m.monospacedCharacter : m.proportionalCharacter,
                                          contentWidth, m_settings.previewLineCount);
    g.preview = QRectF(contentLeft, g.title.bottom() + 3, contentWidth,
                       g.previewLines * (monospaced ? m.monospacedLine : m.proportionalLine));
    g.metadata = QRectF(contentLeft, g.preview.bottom() + 5, contentWidth, m.metadataLine);
    qreal bottom = g.metadata.bottom();
    if (image) {
        const qreal paneWidth = g.card.right() - kPadding - contentLeft;
        const qreal textWidth = paneWidth - 20;
        const qreal heading = m.paneHeadingLine + 4;
        const qreal textLine = m.paneTextLine;
        qreal body = textLine;
        if (hasRecognizedText(item)) {
            g.paneLines = RowTextLayout::estimatedLineCount(*item.recognizedText(), m.paneCharacter, textWidth,
                                                            recognizedTextLines);
            body = g.paneLines * textLine + 3 + m.paneHintLine;
        }
        g.pane = QRectF(contentLeft, bottom + 8, paneWidth, 8 + heading + body + 8);
        g.paneText = QRectF(contentLeft + 10, g.pane.top() + 8 + heading, textWidth, g.paneLines * textLine);
        bottom = g.pane.bottom();
    }
    bottom = std::max(bottom, g.icon.bottom()) + kPadding;
    g.card.setBottom(bottom);
    return g;
}

QSize ClipRow::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const Geometry g = geometry(QRect(0, 0, m_width, 0), *m_model.clipAt(index.row()));
    return QSize(m_width, qCeil(g.card.height()) + rowSpacing);
}

QPixmap ClipRow::thumbnail(const ClipItem& item) const {
    if (!item.thumbnailData())
        return {};
    if (QPixmap* cached = m_thumbnails.object(item.contentHash()))
        return *cached;
    auto* pixmap = new QPixmap;
    if (!pixmap->loadFromData(*item.thumbnailData())) {
        delete pixmap;
        return {};
    }
    // Only the size the row shows is kept.
    const qreal ratio = qApp->devicePixelRatio();
    *pixmap = pixmap->scaled(QSize(qCeil(kImageSize * ratio), qCeil(kImageSize * ratio)), Qt::KeepAspectRatio,
                             Qt::SmoothTransformation);
    pixmap->setDevicePixelRatio(ratio);
    m_thumbnails.insert(item.contentHash(), pixmap);
    return *pixmap;
}

void ClipRow::paintIcon(QPainter& painter, const ClipItem& item, const QRectF& rect) const {
    QPainterPath tile;
    tile.addRoundedRect(rect, 8, 8);
    if (item.kind() == ClipKind::color) {
        if (const std::optional<QColor> swatch = ColorSwatch::color(item.preview().trimmed())) {
            painter.fillPath(tile, StowlineStyle::color(StyleRole::imageMatte));
            painter.fillPath(tile, *swatch);
            painter.setPen(QPen(StowlineStyle::color(StyleRole::swatchBorder), 1));
            painter.drawPath(tile);
            return;
        }
    }
    if (item.kind() == ClipKind::image) {
        const QPixmap pixmap = thumbnail(item);
        if (!pixmap.isNull()) {
            painter.fillPath(tile, StowlineStyle::color(StyleRole::imageMatte));
            const QSizeF size = pixmap.deviceIndependentSize();
            painter.save();
            painter.setClipPath(tile);
            painter.drawPixmap(QPointF(rect.center().x() - size.width() / 2, rect.center().y() - size.height() / 2),
                               pixmap);
            painter.restore();
            return;
        }
    }
    painter.fillPath(tile, tint(StyleRole::accent, 0.13f));
    Symbols::paint(painter, symbolOf(item.kind()), rect.adjusted(10, 10, -10, -10),
                   StowlineStyle::color(StyleRole::accent));
}

RowTextLayout ClipRow::recognizedTextLayout(const QString& text, const Geometry& geometry) const {
    return RowTextLayout(text, m_metrics.paneText, geometry.paneText.width(), std::max(1, geometry.paneLines));
}

void ClipRow::paintPane(QPainter& painter, const ClipItem& item, const Geometry& g) const {
    QPainterPath pane;
    pane.addRoundedRect(g.pane, 8, 8);
    painter.fillPath(pane, StowlineStyle::color(StyleRole::faintFill));
    const QColor secondary = StowlineStyle::color(StyleRole::secondaryText);
    const QFont& heading = m_metrics.paneHeading;
    const qreal headingHeight = m_metrics.paneHeadingLine;
    const QRectF headingSymbol(g.pane.left() + 10, g.pane.top() + 8, headingHeight, headingHeight);
    Symbols::paint(painter, Symbol::textViewfinder, headingSymbol, secondary);
    painter.setFont(heading);
    painter.setPen(secondary);
    painter.drawText(QRectF(headingSymbol.right() + 5, headingSymbol.top(), g.pane.width(), headingHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TEXT IN IMAGE"));

    const QFont& text = m_metrics.paneText;
    const qreal bodyTop = g.paneText.top();
    if (hasRecognizedText(item)) {
        const RowTextLayout layout = recognizedTextLayout(*item.recognizedText(), g);
        if (m_flash && m_flash->id == item.id()) {
            for (const QRectF& rect : layout.rangeRects(m_flash->location, m_flash->length))
                painter.fillRect(rect.translated(g.paneText.topLeft()).adjusted(-1, 0, 1, 0),
                                 StowlineStyle::color(StyleRole::findHighlight));
        }
        layout.draw(painter, g.paneText.topLeft(), StowlineStyle::color(StyleRole::secondaryLabel));
        QColor hint = StowlineStyle::color(StyleRole::secondaryLabel);
        hint.setAlphaF(hint.alphaF() * 0.82f);
        painter.setFont(m_metrics.paneHint);
        painter.setPen(hint);
        painter.drawText(QRectF(g.paneText.left(), g.paneText.bottom() + 3, g.paneText.width(), m_metrics.paneHintLine),
                         Qt::AlignLeft | Qt::AlignVCenter, recognizedTextHint());
        return;
    }
    const bool recognizing = ImageTextRecognitionPolicy::needsRecognition(item);
    const qreal line = m_metrics.paneTextLine;
    const QRectF symbol(g.paneText.left(), bodyTop, line, line);
    if (recognizing) {
        // A still progress mark: three dots, the middle one stronger.
        for (int i = 0; i < 3; ++i) {
            QColor dot = secondary;
            dot.setAlphaF(i == 1 ? 1.0f : 0.45f);
            painter.setPen(Qt::NoPen);
            painter.setBrush(dot);
            painter.drawEllipse(QPointF(symbol.left() + 3 + i * 5, symbol.center().y()), 1.8, 1.8);
        }
    } else {
        Symbols::paint(painter, Symbol::textMagnifyingGlass, symbol.adjusted(1, 1, -1, -1), secondary);
    }
    painter.setFont(text);
    painter.setPen(secondary);
    painter.drawText(QRectF(symbol.right() + 8, bodyTop, g.paneText.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     recognizing ? QStringLiteral("Recognizing text…") : QStringLiteral("No text detected"));
}

void ClipRow::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const ClipItem& item = *m_model.clipAt(index.row());
    const Geometry g = geometry(option.rect, item);
    const bool selected = index.row() == m_selectedRow;
    const bool hovering = option.state.testFlag(QStyle::State_MouseOver);
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QPainterPath card;
    card.addRoundedRect(g.card.adjusted(0.5, 0.5, -0.5, -0.5), kCardRadius, kCardRadius);
    p.fillPath(card, StowlineStyle::color(StyleRole::elevated));
    if (selected)
        p.fillPath(card, tint(StyleRole::accent, 0.12f));
    else if (hovering)
        p.fillPath(card, StowlineStyle::color(StyleRole::controlFill));
    p.setPen(QPen(StowlineStyle::color(selected ? StyleRole::accent : StyleRole::border), selected ? 1.5 : 1));
    p.drawPath(card);

    paintIcon(p, item, g.icon);

    p.setFont(m_metrics.title);
    p.setPen(StowlineStyle::color(StyleRole::label));
    const QString title =
        QFontMetricsF(m_metrics.title).elidedText(item.title().simplified(), Qt::ElideRight, g.title.width());
    p.drawText(g.title, Qt::AlignLeft | Qt::AlignVCenter, title);

    if (g.previewLines > 0) {
        const HighlightedText& text = highlighted(item);
        const RowTextLayout preview(text.text,
                                    isMonospaced(item) ? m_metrics.previewMonospaced : m_metrics.previewProportional,
                                    g.preview.width(), g.previewLines, formatsOf(text));
        p.save();
        p.setClipRect(g.preview.adjusted(0, 0, 0, 2));
        preview.draw(p, g.preview.topLeft(), StowlineStyle::color(StyleRole::label));
        p.restore();
    }

    p.setFont(m_metrics.metadata);
    p.setPen(StowlineStyle::color(StyleRole::secondaryText));
    const QString metadata =
        QFontMetricsF(m_metrics.metadata)
            .elidedText(metadataLine(item, m_settings.showApplicationIdentifiers, Timestamp::now()), Qt::ElideMiddle,
                        g.metadata.width());
    p.drawText(g.metadata, Qt::AlignLeft | Qt::AlignVCenter, metadata);

    if (item.kind() == ClipKind::image)
        paintPane(p, item, g);

    // The buttons show while the pointer is over the row or it is selected; a favourite's star always shows.
    if (hovering || selected || item.isFavorite()) {
        Symbols::paint(p, item.isFavorite() ? Symbol::starFilled : Symbol::star, g.favorite.adjusted(4, 4, -4, -4),
                       StowlineStyle::color(item.isFavorite() ? StyleRole::systemYellow : StyleRole::secondaryText));
    }
    if (hovering || selected)
        Symbols::paint(p, Symbol::trash, g.remove.adjusted(4, 4, -4, -4),
                       StowlineStyle::color(StyleRole::secondaryText));
    p.restore();
}

void ClipRow::copyRecognizedText(const ClipItem& item, const Geometry& geometry, const QPointF& point, bool shift) {
    if (!hasRecognizedText(item))
        return;
    const QString& text = *item.recognizedText();
    const RowTextLayout layout = recognizedTextLayout(text, geometry);
    const ImageTextCopyIntent intent = geometry.paneText.contains(point)
                                           ? layout.intentAt(point - geometry.paneText.topLeft(), shift)
                                           : ImageTextCopyIntent::wholeText();
    const std::optional<ImageTextCopySelection> selection = ImageTextCopyPolicy::selection(text, intent);
    if (!selection) {
        QApplication::beep();
        return;
    }
    if (m_callbacks.onCopyRecognizedText)
        m_callbacks.onCopyRecognizedText(selection->text);
    m_flash = Flash{item.id(), selection->utf16Location, selection->utf16Length};
    m_flashTimer.start(flashMilliseconds);
    Q_EMIT repaintNeeded(item.id());
}

bool ClipRow::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                          const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    const SharedClipItem& item = m_model.clipAt(index.row());
    const Geometry g = geometry(option.rect, *item);
    const QPointF point = mouse->position();
    const bool showsButtons = index.row() == m_selectedRow || option.state.testFlag(QStyle::State_MouseOver) ||
                              option.rect.contains(point.toPoint());
    if (showsButtons && g.favorite.contains(point)) {
        if (m_callbacks.onFavorite)
            m_callbacks.onFavorite(item->id());
        return true;
    }
    if (showsButtons && g.remove.contains(point)) {
        if (m_callbacks.onDelete)
            m_callbacks.onDelete(item->id());
        return true;
    }
    if (item->kind() == ClipKind::image && hasRecognizedText(*item) &&
        g.paneText.adjusted(0, -2, 0, 2).contains(point)) {
        // Held while the copy runs: the callback may change the list.
        const SharedClipItem held = item;
        copyRecognizedText(*held, g, point, mouse->modifiers().testFlag(Qt::ShiftModifier));
        return true;
    }
    if (m_callbacks.onSelect)
        m_callbacks.onSelect(item->id());
    return true;
}

bool ClipRow::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                        const QModelIndex& index) {
    if (!index.isValid())
        return false;
    const ClipItem& item = *m_model.clipAt(index.row());
    const Geometry g = geometry(option.rect, item);
    const QPointF point = event->pos();
    QString text;
    if (g.favorite.contains(point))
        text = item.isFavorite() ? QStringLiteral("Remove favorite") : QStringLiteral("Favorite");
    else if (g.remove.contains(point))
        text = QStringLiteral("Delete");
    else if (item.kind() == ClipKind::image && hasRecognizedText(item) && g.paneText.contains(point))
        text = recognizedTextHelp();
    if (text.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), text, view->viewport(), g.card.toAlignedRect());
    return true;
}

QString ClipRow::metadataLine(const ClipItem& item, bool showApplicationIdentifiers, Timestamp now) {
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

QString ClipRow::accessibilityLabel(const ClipItem& item, bool showApplicationIdentifiers, const SmartSearch& search) {
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

} // namespace stowline
