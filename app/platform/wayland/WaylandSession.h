#pragma once

#include "app/platform/wayland/WaylandCapabilities.h"

#include <QObject>

#include <functional>
#include <memory>

namespace stowline {

class DataControlClipboard;
class SyntheticKeyboard;
class ToplevelTracker;
class WaylandConnection;

// Stowline's own Wayland connection with what runs on its worker: the data-control clipboard (ext first, wlr
// otherwise), the tracker of toplevel windows and the keyboard the paste keystroke is typed on. Created and destroyed
// on the GUI thread, where its signals arrive; shared by the clipboard and frontmost-application adapters.
class WaylandSession : public QObject {
    Q_OBJECT

public:
    // The connection named by WAYLAND_DISPLAY, started; nothing when there is none. Its clipboard may be invalid
    // when the compositor offers no data-control (GNOME): check `canReadClipboard`.
    static std::shared_ptr<WaylandSession> open();
    // Stops the worker before anything it uses goes.
    ~WaylandSession() override;

    const WaylandCapabilities& capabilities() const;
    bool canReadClipboard() const;

    // Runs `job` on the worker with the clipboard or the tracker (null when the compositor offers no window
    // management protocol).
    void post(std::function<void(DataControlClipboard&)> job);
    void postToToplevels(std::function<void(ToplevelTracker&)> job);
    // Runs `job` on the worker with the keyboard and the tracker (null when there is none). Nothing runs when the
    // compositor offers no way to type.
    void postToKeyboard(std::function<void(SyntheticKeyboard&, const ToplevelTracker*)> job);
    bool canType() const { return m_keyboard != nullptr; }
    // Any thread.
    qint64 changeCount() const;
    // The compositor ended the connection: nothing posted runs any more.
    bool isLost() const;
    const ToplevelTracker* toplevels() const { return m_toplevels.get(); }

Q_SIGNALS:
    // Queued from the worker once the clipboard's change count moved.
    void clipboardChanged();

private:
    WaylandSession() = default;

    std::unique_ptr<WaylandConnection> m_connection;
    std::unique_ptr<DataControlClipboard> m_clipboard;
    std::unique_ptr<ToplevelTracker> m_toplevels;
    std::unique_ptr<SyntheticKeyboard> m_keyboard;
};

} // namespace stowline
