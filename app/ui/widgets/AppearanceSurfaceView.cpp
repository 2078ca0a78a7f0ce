#include "app/ui/widgets/AppearanceSurfaceView.h"

#include <QPaintEvent>
#include <QPainter>

namespace stowline {

AppearanceSurfaceView::AppearanceSurfaceView(QWidget* parent, StyleRole fill) : QWidget(parent), m_fill(fill) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] { update(); });
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

} // namespace stowline
