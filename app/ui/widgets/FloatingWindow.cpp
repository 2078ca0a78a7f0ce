#include "app/ui/widgets/FloatingWindow.h"

#include "app/platform/FloatingWindows.h"
#include "app/ui/style/StowlineStyle.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

namespace stowline {

namespace {

Qt::WindowFlags flagsFor(FloatingWindow::Frame frame) {
    if (frame == FloatingWindow::Frame::floating)
        return Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    return Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint;
}

} // namespace

FloatingWindow::FloatingWindow(Frame frame, const QString& title, WindowSize size, CloseKeys closeKeys, QWidget* parent)
    : QWidget(parent, flagsFor(frame)), m_frame(frame), m_closeKeys(closeKeys) {
    setWindowTitle(title);
    setAccessibleName(title);
    size.applyTo(*this);
    auto* layout = new QVBoxLayout(this);
    // Room for the border a floating window draws around its content.
    const int border = frame == Frame::floating ? 1 : 0;
    layout->setContentsMargins(border, border, border, border);
    layout->setSpacing(0);
    if (frame == Frame::floating) {
        setMouseTracking(true);
        // Presses and moves near the edges are looked at before the content that covers them, on this window only.
        create();
        windowHandle()->installEventFilter(this);
        connect(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged, this, [this] { update(); });
    }
}

void FloatingWindow::setContent(QWidget* content) {
    if (m_content) {
        m_content->hide();
        layout()->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_content = content;
    if (content) {
        // Laid out at the window's size before it shows, so no scroll bar appears that only a default size needed.
        content->resize(size());
        layout()->addWidget(content);
    }
}

void FloatingWindow::centreOnPointerScreen(int raise) {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center() - QPoint(0, raise));
    move(frame.topLeft());
}

void FloatingWindow::present(FloatingWindows* services) {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    QWindow* handle = windowHandle();
    if (!services || !handle)
        return;
    if (m_frame == Frame::floating)
        services->showOnAllWorkspaces(*handle);
    services->activate(*handle);
}

Qt::Edges FloatingWindow::edgesAt(const QPoint& point) const {
    Qt::Edges edges;
    if (m_frame != Frame::floating)
        return edges;
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

void FloatingWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Q_EMIT closeRequested();
}

void FloatingWindow::keyPressEvent(QKeyEvent* event) {
    // Reached only by keys the focused control left alone (a recording shortcut keeps its Escape).
    const Qt::KeyboardModifiers held = event->modifiers() & ~Qt::KeypadModifier;
    const bool escape = event->key() == Qt::Key_Escape && held == Qt::NoModifier;
    const bool ctrlW = event->key() == Qt::Key_W && held == Qt::ControlModifier;
    if (m_closeKeys == CloseKeys::escapeAndCtrlW && (escape || ctrlW)) {
        Q_EMIT closeRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FloatingWindow::mousePressEvent(QMouseEvent* event) {
    // Presses no child took land on the background, which moves a floating window.
    if (m_frame == Frame::floating && event->button() == Qt::LeftButton && windowHandle()) {
        windowHandle()->startSystemMove();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void FloatingWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), StowlineStyle::color(StyleRole::surface));
    if (m_frame != Frame::floating)
        return;
    // Without the window manager's frame the window would melt into a window of the same colour behind it.
    painter.setPen(StowlineStyle::over(StyleRole::windowBorder, StyleRole::surface, StowlineStyle::appearance()));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void FloatingWindow::updateCursor(Qt::Edges edges) {
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
}

bool FloatingWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != windowHandle())
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const Qt::Edges edges = edgesAt(mouse->position().toPoint());
    if (type == QEvent::MouseMove) {
        if (mouse->buttons() == Qt::NoButton)
            updateCursor(edges);
        return false;
    }
    if (mouse->button() != Qt::LeftButton || edges == Qt::Edges())
        return false;
    windowHandle()->startSystemResize(edges);
    return true;
}

} // namespace stowline
