#pragma once

#include <QSet>
#include <QString>

#include <memory>
#include <mutex>
#include <optional>

namespace stowline {

class WaylandConnection;

// The toplevel windows of every client, as a window-management protocol of the compositor reports them. Lives on
// the connection's worker, which alone changes it; the active window and the set of open windows are published
// under a lock for the GUI thread.
class ToplevelTracker {
public:
    struct Window {
        // Ours, never reused while the process runs.
        quint64 id = 0;
        QString appId;
        QString title;
        std::optional<qint64> processIdentifier;

        friend bool operator==(const Window&, const Window&) = default;
    };

    // The tracker the compositor offers a protocol for (wlr foreign-toplevel first, then KDE's window
    // management); nothing when it offers neither. Before the connection starts.
    static std::unique_ptr<ToplevelTracker> create(WaylandConnection& connection);
    virtual ~ToplevelTracker() = default;

    // Any thread.
    std::optional<Window> active() const;
    bool isOpen(quint64 id) const;
    // Worker only: asks the compositor to activate the window; false when it is gone.
    virtual bool activate(quint64 id) = 0;

protected:
    explicit ToplevelTracker(WaylandConnection& connection) : m_connection(connection) {}

    quint64 nextId() { return m_nextId++; }
    // Worker only.
    void publishActive(std::optional<Window> window);
    void publishOpened(quint64 id);
    void publishClosed(quint64 id);

    WaylandConnection& m_connection;

private:
    quint64 m_nextId = 1;
    mutable std::mutex m_mutex;
    std::optional<Window> m_active;
    QSet<quint64> m_open;
};

} // namespace stowline
