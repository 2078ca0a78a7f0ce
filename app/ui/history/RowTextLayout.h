#pragma once

#include "core/recognition/ImageTextCopyIntent.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>
#include <QTextLayout>

#include <memory>

class QPainter;

namespace stowline {

// A text wrapped by words into at most a number of lines of one width, with coloured ranges, as a history row
// paints it; a "…" ends the last line when text is left over. Also answers where a point falls in the text.
class RowTextLayout {
public:
    RowTextLayout(const QString& text, const QFont& font, qreal width, int maximumLines,
                  const QList<QTextLayout::FormatRange>& formats = {});

    const QString& text() const { return m_text; }
    qreal height() const { return m_height; }
    int lineCount() const { return m_lineCount; }
    bool isTruncated() const { return m_truncated; }

    // Draws with `origin` as the top left corner, in `color` where no range colours the text.
    void draw(QPainter& painter, const QPointF& origin, const QColor& color) const;

    // What a click at `point` (relative to the top left corner) asks to copy; see intentIn.
    ImageTextCopyIntent intentAt(const QPointF& point, bool shift) const {
        return intentIn(*m_layout, m_text, point, shift);
    }
    // The boxes covering a UTF-16 range on the lines shown, relative to the top left corner.
    QList<QRectF> rangeRects(qsizetype location, qsizetype length) const;

    // `text` as a layout takes it with the same offsets: line feeds become line separators (the one break a single
    // paragraph knows) and carriage returns zero-width spaces (they would show as boxes).
    static QString laidOut(const QString& text);
    // What a click at `point` (in the coordinates of `layout`, which lays out laidOut(text)) asks to copy: the
    // character nearest to the point, when it is not white space and its glyph box grown by 2 on every side holds
    // the point, gives its line (or with `shift` its word); anything else copies the whole text.
    static ImageTextCopyIntent intentIn(const QTextLayout& layout, const QString& text, const QPointF& point,
                                        bool shift);

private:
    QString m_text;
    std::unique_ptr<QTextLayout> m_layout;
    int m_lineCount = 0;
    bool m_truncated = false;
    qreal m_height = 0;
};

} // namespace stowline
