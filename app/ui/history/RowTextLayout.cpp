#include "app/ui/history/RowTextLayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <algorithm>
#include <cmath>

namespace stowline {

namespace {

constexpr qreal kGlyphGrow = 2.0;

bool countsAsEmpty(QChar c) {
    // A surrogate half is part of a character that is never white space.
    if (c.isSurrogate())
        return false;
    return c.isSpace() || c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

RowTextLayout::RowTextLayout(const QString& text, const QFont& font, qreal width, int maximumLines,
                             const QList<QTextLayout::FormatRange>& formats)
    : m_text(text) {
    const QString shown = laidOut(text);
    m_layout = std::make_unique<QTextLayout>(shown, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_layout->setTextOption(option);
    m_layout->setFormats(formats);
    m_layout->setCacheEnabled(true);
    m_layout->beginLayout();
    qreal y = 0;
    while (maximumLines <= 0 || m_lineCount < maximumLines) {
        QTextLine line = m_layout->createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        ++m_lineCount;
    }
    if (maximumLines > 0 && m_lineCount == maximumLines) {
        const QTextLine last = m_layout->lineAt(m_lineCount - 1);
        m_truncated = last.textStart() + last.textLength() < shown.size();
    }
    m_layout->endLayout();
    m_height = y;
}

void RowTextLayout::draw(QPainter& painter, const QPointF& origin, const QColor& color) const {
    painter.save();
    painter.setPen(color);
    if (!m_truncated) {
        m_layout->draw(&painter, origin);
        painter.restore();
        return;
    }
    for (int i = 0; i < m_lineCount - 1; ++i)
        m_layout->lineAt(i).draw(&painter, origin);
    // The last line gives up room at its end for the ellipsis.
    const QTextLine last = m_layout->lineAt(m_lineCount - 1);
    const QFontMetricsF metrics(m_layout->font());
    const QString ellipsis = QStringLiteral("…");
    const qreal room = last.width() - metrics.horizontalAdvance(ellipsis);
    const int cut = last.xToCursor(room, QTextLine::CursorBetweenCharacters);
    const qreal end = last.cursorToX(std::max(cut, last.textStart()));
    painter.save();
    painter.setClipRect(QRectF(origin.x(), origin.y() + last.y(), end, last.height()));
    last.draw(&painter, origin);
    painter.restore();
    painter.setFont(m_layout->font());
    painter.drawText(QPointF(origin.x() + end, origin.y() + last.y() + last.ascent()), ellipsis);
    painter.restore();
}

QString RowTextLayout::laidOut(const QString& text) {
    QString shown = text;
    shown.replace(u'\n', QChar::LineSeparator);
    shown.replace(QChar::ParagraphSeparator, QChar::LineSeparator);
    shown.replace(u'\r', QChar(0x200B));
    return shown;
}

ImageTextCopyIntent RowTextLayout::intentIn(const QTextLayout& layout, const QString& text, const QPointF& point,
                                            bool shift) {
    const int lineCount = layout.lineCount();
    if (lineCount == 0)
        return ImageTextCopyIntent::wholeText();
    // The line nearest to the point, then the character nearest to it on that line.
    int lineIndex = 0;
    for (int i = 0; i < lineCount; ++i) {
        if (point.y() >= layout.lineAt(i).y())
            lineIndex = i;
    }
    const QTextLine line = layout.lineAt(lineIndex);
    int index = line.xToCursor(point.x(), QTextLine::CursorOnCharacter);
    index = std::clamp(index, line.textStart(), std::max(line.textStart(), line.textStart() + line.textLength() - 1));
    if (index < 0 || index >= text.size() || countsAsEmpty(text.at(index)))
        return ImageTextCopyIntent::wholeText();
    const int next = index + (text.at(index).isHighSurrogate() && index + 1 < text.size() ? 2 : 1);
    const qreal left = line.cursorToX(index);
    const qreal right = next <= line.textStart() + line.textLength() ? line.cursorToX(next) : line.naturalTextWidth();
    const QRectF glyph(QPointF(std::min(left, right), line.y()),
                       QPointF(std::max(left, right), line.y() + line.height()));
    if (!glyph.adjusted(-kGlyphGrow, -kGlyphGrow, kGlyphGrow, kGlyphGrow).contains(point))
        return ImageTextCopyIntent::wholeText();
    return shift ? ImageTextCopyIntent::word(index) : ImageTextCopyIntent::line(index);
}

QList<QRectF> RowTextLayout::rangeRects(qsizetype location, qsizetype length) const {
    QList<QRectF> rects;
    const qsizetype end = location + length;
    for (int i = 0; i < m_lineCount; ++i) {
        const QTextLine line = m_layout->lineAt(i);
        const qsizetype lineStart = line.textStart();
        const qsizetype lineEnd = lineStart + line.textLength();
        const qsizetype from = std::max(location, lineStart);
        const qsizetype to = std::min(end, lineEnd);
        if (from >= to)
            continue;
        const qreal left = line.cursorToX(int(from));
        const qreal right = line.cursorToX(int(to));
        rects.append(
            QRectF(QPointF(std::min(left, right), line.y()), QPointF(std::max(left, right), line.y() + line.height())));
    }
    return rects;
}

} // namespace stowline
