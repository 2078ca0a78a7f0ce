#include "app/ui/history/ClipRow.h"

#include "app/ui/history/ClipRowTexts.h"
#include "app/ui/history/ColorSwatch.h"
#include "app/ui/history/HistoryListModel.h"
#include "app/ui/history/RecognizedTextView.h"
#include "app/ui/history/RowTextLayout.h"
#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/Symbols.h"
#include "app/ui/widgets/KeyCap.h"
#include "core/recognition/ImageTextRecognitionPolicy.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QPainterPath>
#include <QTextCharFormat>
#include <QToolTip>

namespace stowline {

namespace {

constexpr qreal kCardRadius = 10;
constexpr qreal kTileRadius = 8;
constexpr qreal kButtonInset = 4;
// How far a row number's key cap reaches out of the icon's corner.
constexpr qreal kNumberOverhang = 4;

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
    case ClipKind::color:
        return Symbol::text;
    case ClipKind::link:
        return Symbol::link;
    case ClipKind::image:
        return Symbol::photo;
    case ClipKind::file:
        return Symbol::document;
    case ClipKind::richText:
        return Symbol::richText;
    }
    return Symbol::text;
}

bool hasTextView(const QStyleOptionViewItem& option, const QModelIndex& index) {
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    return view && qobject_cast<RecognizedTextView*>(view->indexWidget(index));
}

} // namespace

ClipRow::ClipRow(Callbacks callbacks, QObject* parent)
    : QStyledItemDelegate(parent), m_callbacks(std::move(callbacks)) {
    // Cached colours and fonts follow the appearance.
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] {
        m_highlights.clear();
        m_geometry.refresh();
    });
}

void ClipRow::setSettings(const ClipRowSettings& settings) {
    m_geometry.setSettings(settings);
    m_highlights.clear();
}

void ClipRow::setWidth(int width) {
    m_geometry.setWidth(width);
}

SharedClipItem ClipRow::clipOf(const QModelIndex& index) {
    return index.data(HistoryListModel::ClipRole).value<SharedClipItem>();
}

bool ClipRow::hasRecognizedTextView(const ClipItem& item) {
    return item.kind() == ClipKind::image && item.recognizedText() && !item.recognizedText()->isEmpty();
}

const HighlightedText& ClipRow::highlighted(const ClipItem& item) const {
    const TextContentFormat format = item.textFormat().value_or(TextContentFormat::plain);
    const QString key = item.contentHash() + u'/' + rawValue(format);
    if (HighlightedText* cached = m_highlights.object(key))
        return *cached;
    auto* text = new HighlightedText(TextSyntaxHighlighter::highlight(ClipRowGeometry::previewText(item), format,
                                                                      TextSyntaxHighlighter::previewCharacterLimit));
    m_highlights.insert(key, text);
    return *text;
}

QSize ClipRow::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const SharedClipItem item = clipOf(index);
    return item ? QSize(m_geometry.width(), m_geometry.height(*item)) : QSize();
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
    const qreal side = m_geometry.parts(QRectF(0, 0, m_geometry.width(), 0), item).icon.width();
    *pixmap =
        pixmap->scaled(QSize(qCeil(side * ratio), qCeil(side * ratio)), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pixmap->setDevicePixelRatio(ratio);
    m_thumbnails.insert(item.contentHash(), pixmap);
    return *pixmap;
}

void ClipRow::paintIcon(QPainter& painter, const ClipItem& item, const QRectF& rect) const {
    QPainterPath tile;
    tile.addRoundedRect(rect, kTileRadius, kTileRadius);
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

void ClipRow::paintPane(QPainter& painter, const ClipItem& item, const ClipRowGeometry::Parts& g,
                        bool textShownByView) const {
    const ClipRowGeometry::Fonts& fonts = m_geometry.fonts();
    QPainterPath pane;
    pane.addRoundedRect(g.pane, kTileRadius, kTileRadius);
    painter.fillPath(pane, StowlineStyle::color(StyleRole::faintFill));
    const QColor secondary = StowlineStyle::color(StyleRole::secondaryText);
    const qreal headingHeight = fonts.paneHeadingLine;
    const QRectF headingSymbol(g.paneText.left(), g.pane.top() + 8, headingHeight, headingHeight);
    Symbols::paint(painter, Symbol::textViewfinder, headingSymbol, secondary);
    painter.setFont(fonts.paneHeading);
    painter.setPen(secondary);
    painter.drawText(QRectF(headingSymbol.right() + 5, headingSymbol.top(), g.pane.width(), headingHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TEXT IN IMAGE"));

    if (hasRecognizedTextView(item)) {
        // Until the view over the pane exists, the first lines stand in for it.
        if (!textShownByView) {
            const RowTextLayout layout(*item.recognizedText(), fonts.paneText, g.paneText.width(),
                                       ClipRowGeometry::recognizedTextLines);
            layout.draw(painter, g.paneText.topLeft(), StowlineStyle::color(StyleRole::secondaryLabel));
        }
        QColor hint = StowlineStyle::color(StyleRole::secondaryLabel);
        hint.setAlphaF(hint.alphaF() * 0.82f);
        painter.setFont(fonts.paneHint);
        painter.setPen(hint);
        painter.drawText(QRectF(g.paneText.left(), g.paneText.bottom() + 3, g.paneText.width(), fonts.paneHintLine),
                         Qt::AlignLeft | Qt::AlignVCenter, ClipRowTexts::recognizedTextHint());
        return;
    }
    const bool recognizing = ImageTextRecognitionPolicy::needsRecognition(item);
    const qreal line = fonts.paneTextLine;
    const QRectF symbol(g.paneText.left(), g.paneText.top(), line, line);
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
    painter.setFont(fonts.paneText);
    painter.setPen(secondary);
    painter.drawText(QRectF(symbol.right() + 8, g.paneText.top(), g.paneText.width(), line),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     recognizing ? QStringLiteral("Recognizing text…") : QStringLiteral("No text detected"));
}

bool ClipRow::showsButtons(const QStyleOptionViewItem& option, const ClipItem& item) const {
    return option.state.testFlag(QStyle::State_Selected) || m_hovered == item.id();
}

void ClipRow::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const SharedClipItem held = clipOf(index);
    if (!held)
        return;
    const ClipItem& item = *held;
    const ClipRowGeometry::Parts g = m_geometry.parts(option.rect, item);
    const ClipRowGeometry::Fonts& fonts = m_geometry.fonts();
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const bool buttons = showsButtons(option, item);
    QPainter& p = *painter;
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QPainterPath card;
    card.addRoundedRect(g.card.adjusted(0.5, 0.5, -0.5, -0.5), kCardRadius, kCardRadius);
    p.fillPath(card, StowlineStyle::color(StyleRole::elevated));
    if (selected)
        p.fillPath(card, tint(StyleRole::accent, 0.12f));
    else if (buttons)
        p.fillPath(card, StowlineStyle::color(StyleRole::controlFill));
    p.setPen(QPen(StowlineStyle::color(selected ? StyleRole::accent : StyleRole::border), selected ? 1.5 : 1));
    p.drawPath(card);

    paintIcon(p, item, g.icon);
    if (m_rowNumbersShown && index.row() < 9) {
        const QString number = QString::number(index.row() + 1);
        const QRectF cap(g.icon.topLeft() - QPointF(kNumberOverhang, kNumberOverhang), QSizeF(KeyCap::capSize(number)));
        // Opaque under the cap, so the icon does not show through its translucent fill.
        p.setPen(Qt::NoPen);
        p.setBrush(StowlineStyle::color(StyleRole::elevated));
        p.drawRoundedRect(cap, kButtonInset, kButtonInset);
        KeyCap::paintCap(p, cap, number);
    }

    p.setFont(fonts.title);
    p.setPen(StowlineStyle::color(StyleRole::label));
    const QString title =
        QFontMetricsF(fonts.title).elidedText(item.title().simplified(), Qt::ElideRight, g.title.width());
    p.drawText(g.title, Qt::AlignLeft | Qt::AlignVCenter, title);

    if (g.previewLines > 0) {
        const HighlightedText& text = highlighted(item);
        const RowTextLayout preview(
            text.text, ClipRowGeometry::isMonospaced(item) ? fonts.previewMonospaced : fonts.previewProportional,
            g.preview.width(), g.previewLines, formatsOf(text));
        p.save();
        p.setClipRect(g.preview.adjusted(0, 0, 0, 2));
        preview.draw(p, g.preview.topLeft(), StowlineStyle::color(StyleRole::label));
        p.restore();
    }

    p.setFont(fonts.metadata);
    p.setPen(StowlineStyle::color(StyleRole::secondaryText));
    const QString metadata =
        QFontMetricsF(fonts.metadata)
            .elidedText(ClipRowTexts::metadataLine(item, settings().showApplicationIdentifiers, Timestamp::now()),
                        Qt::ElideMiddle, g.metadata.width());
    p.drawText(g.metadata, Qt::AlignLeft | Qt::AlignVCenter, metadata);

    if (item.kind() == ClipKind::image)
        paintPane(p, item, g, hasTextView(option, index));

    // A favourite's star always shows; the buttons otherwise only where they take clicks.
    if (buttons || item.isFavorite()) {
        Symbols::paint(p, item.isFavorite() ? Symbol::starFilled : Symbol::star,
                       g.favorite.adjusted(kButtonInset, kButtonInset, -kButtonInset, -kButtonInset),
                       StowlineStyle::color(item.isFavorite() ? StyleRole::systemYellow : StyleRole::secondaryText));
    }
    if (buttons)
        Symbols::paint(p, Symbol::trash, g.remove.adjusted(kButtonInset, kButtonInset, -kButtonInset, -kButtonInset),
                       StowlineStyle::color(StyleRole::secondaryText));
    p.restore();
}

bool ClipRow::editorEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                          const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    const auto* mouse = static_cast<const QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    // Held while the callbacks run: they may change the list.
    const SharedClipItem item = clipOf(index);
    if (!item)
        return false;
    const ClipRowGeometry::Parts g = m_geometry.parts(option.rect, *item);
    const QPointF point = mouse->position();
    QStyleOptionViewItem state = option;
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        view && view->selectionModel() && view->selectionModel()->isSelected(index))
        state.state |= QStyle::State_Selected;
    // A click hits a button only where the button is drawn: after a row above went away, the row that moved under
    // the pointer shows none until the pointer moves.
    if (showsButtons(state, *item) && g.favorite.contains(point)) {
        if (m_callbacks.onFavorite)
            m_callbacks.onFavorite(item->id());
        return true;
    }
    if (showsButtons(state, *item) && g.remove.contains(point)) {
        if (m_callbacks.onDelete)
            m_callbacks.onDelete(item->id());
        return true;
    }
    if (m_callbacks.onSelect)
        m_callbacks.onSelect(item->id());
    return true;
}

bool ClipRow::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                        const QModelIndex& index) {
    const SharedClipItem item = clipOf(index);
    if (!item)
        return false;
    const ClipRowGeometry::Parts g = m_geometry.parts(option.rect, *item);
    const QPointF point = event->pos();
    QString text;
    if (g.favorite.contains(point))
        text = item->isFavorite() ? QStringLiteral("Remove favorite") : QStringLiteral("Favorite");
    else if (g.remove.contains(point))
        text = QStringLiteral("Delete");
    if (text.isEmpty()) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), text, view->viewport(), g.card.toAlignedRect());
    return true;
}

QWidget* ClipRow::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
    auto* view = new RecognizedTextView(parent);
    connect(view, &RecognizedTextView::copyRequested, this, [this](const QString& text) {
        if (m_callbacks.onCopyRecognizedText)
            m_callbacks.onCopyRecognizedText(text);
    });
    if (const SharedClipItem item = clipOf(index)) {
        connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, view, id = item->id()](int line) {
            if (m_panePlaces.size() >= maxRememberedPanePlaces && !m_panePlaces.contains(id))
                m_panePlaces.clear();
            m_panePlaces.insert(id, {qHash(view->text()), line});
        });
    }
    return view;
}

void ClipRow::setEditorData(QWidget* editor, const QModelIndex& index) const {
    const SharedClipItem item = clipOf(index);
    auto* view = qobject_cast<RecognizedTextView*>(editor);
    if (!view || !item || !item->recognizedText())
        return;
    const bool opening = view->text().isEmpty();
    view->setText(*item->recognizedText());
    const auto place = m_panePlaces.constFind(item->id());
    if (opening && place != m_panePlaces.cend() && place->textHash == qHash(view->text()))
        view->restoreScrollPosition(place->line);
}

void ClipRow::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    if (const SharedClipItem item = clipOf(index))
        editor->setGeometry(m_geometry.parts(option.rect, *item).paneText.toAlignedRect());
}

} // namespace stowline
