#include "app/widgets/AppearanceSurfaceView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace stowline {

AppearanceSurfaceView::AppearanceSurfaceView(QWidget* parent, StyleRole fill) : QWidget(parent), m_fill(fill) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] { update(); });
}

Qt::Edges AppearanceSurfaceView::edgesAt(const QPoint& position) const {
    Qt::Edges edges;
    // Only a view that fills its window resizes it; a nested one is just a surface.
    if (!isWindow() && parentWidget() && geometry() != parentWidget()->rect())
        return edges;
    if (position.x() < resizeMargin)
        edges |= Qt::LeftEdge;
    if (position.x() >= width() - resizeMargin)
        edges |= Qt::RightEdge;
    if (position.y() < resizeMargin)
        edges |= Qt::TopEdge;
    if (position.y() >= height() - resizeMargin)
        edges |= Qt::BottomEdge;
    return edges;
}

void AppearanceSurfaceView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), StowlineStyle::color(m_fill));
}

void AppearanceSurfaceView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

void AppearanceSurfaceView::mousePressEvent(QMouseEvent* event) {
    QWindow* handle = window()->windowHandle();
    if (event->button() != Qt::LeftButton || !handle) {
        QWidget::mousePressEvent(event);
        return;
    }
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    if (edges)
        handle->startSystemResize(edges);
    else
        handle->startSystemMove();
    event->accept();
}

void AppearanceSurfaceView::mouseMoveEvent(QMouseEvent* event) {
    const Qt::Edges edges = edgesAt(event->position().toPoint());
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling = edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge);
        setCursor(falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor);
    } else if (horizontal) {
        setCursor(Qt::SizeHorCursor);
    } else if (vertical) {
        setCursor(Qt::SizeVerCursor);
    } else {
        unsetCursor();
    }
    QWidget::mouseMoveEvent(event);
}

void AppearanceSurfaceView::leaveEvent(QEvent* event) {
    unsetCursor();
    QWidget::leaveEvent(event);
}

} // namespace stowline
