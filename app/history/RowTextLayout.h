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

    // What a click at `point` (relative to the top left corner) asks to copy: the character nearest to the point,
    // when it is not white space and its glyph box grown by 2 on every side holds the point, gives its line (or
    // with `shift` its word); anything else copies the whole text.
    ImageTextCopyIntent intentAt(const QPointF& point, bool shift) const;
    // The boxes covering a UTF-16 range on the lines shown, relative to the top left corner.
    QList<QRectF> rangeRects(qsizetype location, qsizetype length) const;

    // About how many lines `text` wraps into at `width` with characters of about `characterWidth`, at most
    // `maximumLines` (0: no limit), from the lengths of its lines alone: cheap enough to size 100,000 rows.
    static int estimatedLineCount(QStringView text, qreal characterWidth, qreal width, int maximumLines);

private:
    QString m_text;
    std::unique_ptr<QTextLayout> m_layout;
    int m_lineCount = 0;
    bool m_truncated = false;
    qreal m_height = 0;
};

} // namespace stowline
