#pragma once

#include <QString>

#include <optional>

namespace stowline {

// What a command asks of the application as a whole: its windows and its end.
class ApplicationControl {
public:
    // The panel's state as `status` reports it.
    struct PanelState {
        bool visible = false;
        qsizetype listedClips = 0;
        bool active = false;
    };

    virtual ~ApplicationControl() = default;
    // For the next window brought forward (see `FloatingWindows::useActivationToken`).
    virtual void useActivationToken(const QString& token) = 0;
    virtual void showPanel() = 0;
    virtual void togglePanel() = 0;
    virtual void applicationDidBecomeActive() = 0;
    virtual void showSettings() = 0;
    // Stops capturing and writes the history; what could not be saved (where and why) when something could not.
    virtual std::optional<QString> stopAndSave() = 0;
    virtual void requestQuit() = 0;
    // A quit refused because something could not be saved: capturing goes on.
    virtual void resumeAfterRefusedQuit() = 0;
    virtual void queueRecognition() = 0;
    // Pastes into the window in front now, only while it is still the active one when the keystroke goes out;
    // false when nothing could be posted.
    virtual bool pasteIntoFrontmost() = 0;
    virtual int panelRequestCount() const = 0;
    virtual PanelState panelState() const = 0;
};

} // namespace stowline
