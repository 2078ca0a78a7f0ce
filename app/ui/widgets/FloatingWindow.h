#pragma once

#include "app/ui/widgets/WindowSize.h"

#include <QPointer>
#include <QWidget>

namespace stowline {

class FloatingWindows;

// A window of Stowline's own, created once and kept for the life of the process: its content can be replaced,
// it is centred on the screen under the pointer and handed the keyboard although another application is in
// front. A close request (the close button, Alt+F4 and, where asked for, Escape or Ctrl+W) is reported through
// closeRequested and never obeyed by itself, so the owner decides what closing means.
//
// A `floating` window has no title bar of the window manager: it stays above the others, draws a 1-pixel border
// in the style's colour, is moved by dragging its background and resized at its edges. A `titled` window keeps
// the window manager's frame.
class FloatingWindow : public QWidget {
    Q_OBJECT

public:
    enum class Frame { floating, titled };
    enum class CloseKeys { none, escapeAndCtrlW };
    // How close to an edge a press on a floating window resizes it.
    static constexpr int edgeMargin = 6;

    FloatingWindow(Frame frame, const QString& title, WindowSize size, CloseKeys closeKeys = CloseKeys::none,
                   QWidget* parent = nullptr);

    // Puts `content` in place of the previous content, which is hidden at once and deleted later (its own handler
    // may be what asked for this); null leaves the window empty.
    void setContent(QWidget* content);
    QWidget* content() const { return m_content; }

    // Centred on the screen under the pointer (else the primary one), `raise` pixels above the centre.
    void centreOnPointerScreen(int raise = 0);
    // Shows the window in front on every workspace (floating) and asks for the keyboard, through the desktop's
    // services when there are any.
    void present(FloatingWindows* services);

    // The edges a point (in the window's coordinates) would resize; none for a titled window.
    Qt::Edges edgesAt(const QPoint& point) const;

Q_SIGNALS:
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateCursor(Qt::Edges edges);

    const Frame m_frame;
    const CloseKeys m_closeKeys;
    QPointer<QWidget> m_content;
};

} // namespace stowline
