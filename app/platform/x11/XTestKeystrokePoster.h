#pragma once

#include "app/platform/KeystrokePoster.h"
#include "app/platform/x11/XcbConnection.h"

#include <QDeadlineTimer>
#include <QList>
#include <QTimer>

namespace stowline {

// Ctrl+V through the XTEST extension, as if typed on the keyboard. While the user still holds modifiers (those
// of the shortcut that chose the clip, say) it waits for them to be let go, for at most `releaseWaitMilliseconds`;
// the event loop runs meanwhile. A paste goes only into the window it was meant for: checked against the active
// window right before the keys are sent, since the focus may move while it waits.
class XTestKeystrokePoster final : public KeystrokePoster {
public:
    static constexpr int releaseWaitMilliseconds = 500;
    static constexpr int releasePollMilliseconds = 10;

    explicit XTestKeystrokePoster(XcbConnection connection = XcbConnection::ofApplication());

    bool isAvailable() const override;
    bool postPasteKeystroke(PasteTarget target) override;

private:
    void fakeKey(uint8_t type, xcb_keycode_t code) const;
    // The window manager's active window (EWMH), 0 when it names none.
    quint64 activeWindow() const;
    // Posts the waiting pastes once nothing is held or the wait is over.
    void postWhenReleased();
    void post();

    XcbConnection m_connection;
    QTimer m_releasePoll;
    QDeadlineTimer m_releaseDeadline;
    QList<PasteTarget> m_waitingPastes;
};

} // namespace stowline
