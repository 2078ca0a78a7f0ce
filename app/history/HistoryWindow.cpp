#include "app/history/HistoryWindow.h"

#include "core/support/AppIdentity.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWindow>

namespace stowline {

HistoryWindow::HistoryWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(AppIdentity::applicationName());
    setAccessibleName(AppIdentity::applicationName());
    windowSize.applyTo(*this);
    setMouseTracking(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

void HistoryWindow::setContent(QWidget* content) {
    if (m_content) {
        m_content->hide();
        // Later: the old content may be the one whose key handler asked for this.
        m_content->deleteLater();
    }
    m_content = content;
    if (content)
        layout()->addWidget(content);
}

Qt::Edges HistoryWindow::edgesAt(const QPoint& point) const {
    Qt::Edges edges;
    if (point.x() < edgeMargin)
        edges |= Qt::LeftEdge;
    if (point.x() >= width() - edgeMargin)
        edges |= Qt::RightEdge;
    if (point.y() < edgeMargin)
        edges |= Qt::TopEdge;
    if (point.y() >= height() - edgeMargin)
        edges |= Qt::BottomEdge;
    return edges;
}

void HistoryWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Q_EMIT closeRequested();
}

void HistoryWindow::mousePressEvent(QMouseEvent* event) {
    // Presses no child took land on the background, which moves the window.
    if (event->button() == Qt::LeftButton && windowHandle() && edgesAt(event->position().toPoint()) == Qt::Edges())
        windowHandle()->startSystemMove();
    event->accept();
}

void HistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_watchingEdges) {
        qApp->installEventFilter(this);
        m_watchingEdges = true;
    }
}

void HistoryWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_watchingEdges) {
        qApp->removeEventFilter(this);
        m_watchingEdges = false;
    }
}

bool HistoryWindow::eventFilter(QObject* watched, QEvent* event) {
    // The edges are covered by the content, so presses and pointer moves near them are looked at before any child.
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const Qt::Edges edges = edgesAt(mapFromGlobal(mouse->globalPosition().toPoint()));
    if (type == QEvent::MouseMove) {
        if (mouse->buttons() == Qt::NoButton) {
            const bool diagonal = (edges.testFlag(Qt::LeftEdge) && edges.testFlag(Qt::TopEdge)) ||
                                  (edges.testFlag(Qt::RightEdge) && edges.testFlag(Qt::BottomEdge));
            const bool antiDiagonal = (edges.testFlag(Qt::RightEdge) && edges.testFlag(Qt::TopEdge)) ||
                                      (edges.testFlag(Qt::LeftEdge) && edges.testFlag(Qt::BottomEdge));
            if (diagonal)
                setCursor(Qt::SizeFDiagCursor);
            else if (antiDiagonal)
                setCursor(Qt::SizeBDiagCursor);
            else if (edges & (Qt::LeftEdge | Qt::RightEdge))
                setCursor(Qt::SizeHorCursor);
            else if (edges & (Qt::TopEdge | Qt::BottomEdge))
                setCursor(Qt::SizeVerCursor);
            else
                unsetCursor();
        }
        return false;
    }
    if (mouse->button() != Qt::LeftButton || edges == Qt::Edges() || !windowHandle())
        return false;
    windowHandle()->startSystemResize(edges);
    return true;
}

} // namespace stowline
