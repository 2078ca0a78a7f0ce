#pragma once

#include "core/recognition/ImageTextCopyIntent.h"

#include <QPlainTextEdit>
#include <QTimer>

#include <functional>

namespace stowline {

// The recognised text of an image row: read-only, never selected or edited, scrollable when it is longer than
// the pane. A click copies the line under the pointer, a Shift-click the word, any other click all of the text;
// what was copied flashes. Assistive technology reads it as "Recognized text" with the text as its value.
class RecognizedTextView : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr int flashMilliseconds = 400;

    explicit RecognizedTextView(QWidget* parent = nullptr);

    // Replaces the text only when it differs, so the same text keeps its scroll position; new text starts at the
    // top.
    void setText(const QString& text);
    const QString& text() const { return m_text; }
    // Scrolls to `line` as soon as the text is laid out far enough (a new view's layout comes later), unless
    // the text changes first.
    void restoreScrollPosition(int line);

    // What a click at `point` (in the viewport) asks to copy.
    ImageTextCopyIntent intentAt(const QPoint& point, bool shift) const;
    // The boxes, in the viewport, that cover a UTF-16 range of the text.
    QList<QRectF> rangeRects(qsizetype location, qsizetype length) const;

    static QString help();

Q_SIGNALS:
    // A click selected this text; the copy is the receiver's.
    void copyRequested(const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void recolor();
    void flash(qsizetype location, qsizetype length);

    QString m_text;
    int m_pendingScroll = 0;
    QTimer m_flashTimer;
};

} // namespace stowline
