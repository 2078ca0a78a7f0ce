#pragma once

#include "app/widgets/WindowSize.h"

#include <QPointer>
#include <QWidget>

namespace stowline {

// The floating panel: a window without the window manager's title bar, above the others, moved by dragging its
// background and resized at its edges. It never closes; a close request from the desktop is reported instead.
class HistoryWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr WindowSize windowSize{{720, 560}, {680, 500}};
    // How close to an edge a press starts resizing.
    static constexpr int edgeMargin = 6;

    explicit HistoryWindow(QWidget* parent = nullptr);

    // Puts `content` in place of the previous content, which goes away; null leaves the window empty.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // The edges a point (in the window's coordinates) would resize.
    Qt::Edges edgesAt(const QPoint& point) const;

Q_SIGNALS:
    // The desktop asked to close the window (a close button or key of the window manager).
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_content;
    bool m_watchingEdges = false;
};

} // namespace stowline
