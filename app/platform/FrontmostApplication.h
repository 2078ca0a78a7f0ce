#pragma once

#include <QString>

#include <optional>

namespace stowline {

// An application as seen through one of its windows, which is what can be reactivated later.
struct RunningApplication {
    // The window the application had in front; opaque outside the backend.
    quint64 window = 0;
    std::optional<QString> localizedName;
    // The desktop entry id ("org.gnome.TextEditor"), or the window class when no entry is known.
    std::optional<QString> bundleIdentifier;
    std::optional<qint64> processIdentifier;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

// The application whose window is active. Used on the GUI thread only.
class FrontmostApplication {
public:
    virtual ~FrontmostApplication() = default;

    virtual std::optional<RunningApplication> frontmost() const = 0;
    // Asks the window manager to bring the application's window forward; false when the window is gone.
    virtual bool activate(const RunningApplication& application) = 0;
    // True once the remembered window no longer exists.
    virtual bool isTerminated(const RunningApplication& application) const = 0;
};

} // namespace stowline
