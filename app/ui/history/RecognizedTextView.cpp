#include "app/ui/history/RecognizedTextView.h"

#include "app/ui/history/RowTextLayout.h"
#include "app/ui/style/StowlineStyle.h"
#include "core/recognition/ImageTextCopyPolicy.h"
#include "app/ui/style/StyleMetrics.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <utility>

namespace stowline {

RecognizedTextView::RecognizedTextView(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("recognizedText"));
    setReadOnly(true);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(0);
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::PointingHandCursor);
    setFont(StowlineStyle::font(TextSize::footnote, QFont::Medium));
    setAccessibleName(QStringLiteral("Recognized text"));
    setToolTip(help());
    setAccessibleDescription(help());
    recolor();
    StowlineStyle::styleScrollBar(verticalScrollBar());
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, &RecognizedTextView::recolor);
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this, [this](int, int maximum) {
        if (m_pendingScroll > 0 && maximum >= m_pendingScroll) {
            verticalScrollBar()->setValue(std::exchange(m_pendingScroll, 0));
        }
    });
    m_flashTimer.setSingleShot(true);
    connect(&m_flashTimer, &QTimer::timeout, this, [this] { setExtraSelections({}); });
}

QString RecognizedTextView::help() {
    return QStringLiteral("Click a line to copy it. Shift-click a word. Click empty space to copy all text.");
}

void RecognizedTextView::recolor() {
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, StowlineStyle::color(StyleRole::secondaryLabel));
    setPalette(palette);
}

void RecognizedTextView::setText(const QString& text) {
    if (text != m_text) {
        m_text = text;
        // One paragraph whose offsets are the text's own, so a click's offset is the policy's offset.
        m_pendingScroll = 0;
        setPlainText(RowTextLayout::laidOut(text));
        verticalScrollBar()->setValue(0);
    }
    // The value assistive technology reads is the document's text, refreshed with it.
    setAccessibleName(QStringLiteral("Recognized text"));
}

void RecognizedTextView::restoreScrollPosition(int line) {
    if (verticalScrollBar()->maximum() >= line)
        verticalScrollBar()->setValue(line);
    else
        m_pendingScroll = line;
}

ImageTextCopyIntent RecognizedTextView::intentAt(const QPoint& point, bool shift) const {
    const QTextBlock block = document()->firstBlock();
    if (m_text.isEmpty() || !block.isValid() || !block.layout())
        return ImageTextCopyIntent::wholeText();
    const QPointF origin = blockBoundingGeometry(block).translated(contentOffset()).topLeft();
    return RowTextLayout::intentIn(*block.layout(), m_text, QPointF(point) - origin, shift);
}

QList<QRectF> RecognizedTextView::rangeRects(qsizetype location, qsizetype length) const {
    QList<QRectF> rects;
    const QTextBlock block = document()->firstBlock();
    if (!block.isValid() || !block.layout())
        return rects;
    const QPointF origin = blockBoundingGeometry(block).translated(contentOffset()).topLeft();
    const QTextLayout& layout = *block.layout();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        const qsizetype from = std::max<qsizetype>(location, line.textStart());
        const qsizetype to = std::min<qsizetype>(location + length, line.textStart() + line.textLength());
        if (from >= to)
            continue;
        const qreal left = line.cursorToX(int(from));
        const qreal right = line.cursorToX(int(to));
        rects.append(
            QRectF(QPointF(std::min(left, right), line.y()), QPointF(std::max(left, right), line.y() + line.height()))
                .translated(origin));
    }
    return rects;
}

void RecognizedTextView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || m_text.isEmpty())
        return;
    const ImageTextCopyIntent intent =
        intentAt(event->position().toPoint(), event->modifiers().testFlag(Qt::ShiftModifier));
    const std::optional<ImageTextCopySelection> selection = ImageTextCopyPolicy::selection(m_text, intent);
    if (!selection) {
        QApplication::beep();
        return;
    }
    flash(selection->utf16Location, selection->utf16Length);
    Q_EMIT copyRequested(selection->text);
}

void RecognizedTextView::flash(qsizetype location, qsizetype length) {
    QTextEdit::ExtraSelection highlight;
    highlight.cursor = QTextCursor(document());
    highlight.cursor.setPosition(int(location));
    highlight.cursor.setPosition(int(location + length), QTextCursor::KeepAnchor);
    highlight.format.setBackground(StowlineStyle::color(StyleRole::findHighlight));
    setExtraSelections({highlight});
    m_flashTimer.start(flashMilliseconds);
}

// Nothing is ever selected: the platform's own selection never starts.
void RecognizedTextView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void RecognizedTextView::mouseMoveEvent(QMouseEvent* event) {
    event->ignore();
}

void RecognizedTextView::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

} // namespace stowline
