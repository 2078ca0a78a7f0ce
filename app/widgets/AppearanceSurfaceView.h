#pragma once

#include "app/style/StowlineStyle.h"

#include <QWidget>

namespace stowline {

// The opaque root of a window without the window manager's title bar: paints a palette colour, repaints when
// the appearance switches, and lets the user move the window by dragging its background and resize it at its
// edges.
class AppearanceSurfaceView : public QWidget {
    Q_OBJECT

public:
    explicit AppearanceSurfaceView(QWidget* parent = nullptr, StyleRole fill = StyleRole::appKitSurface);

    // The band along the edges where a press resizes instead of moving.
    static constexpr int resizeMargin = 6;
    // The window edges a press at `position` (in this view) resizes; none in the inner area.
    Qt::Edges edgesAt(const QPoint& position) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    StyleRole m_fill;
};

} // namespace stowline
