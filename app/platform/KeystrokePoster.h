#pragma once

#include <QtGlobal>

#include <functional>

namespace stowline {

// Where a paste keystroke may go: the window that must be the active one when it is sent (as
// `RunningApplication::window` names it; 0 when none is known), and what to do when it is not.
struct PasteTarget {
    quint64 window = 0;
    std::function<void()> refused;
};

// Synthetic keystrokes into the active window. Used on the GUI thread only.
class KeystrokePoster {
public:
    virtual ~KeystrokePoster() = default;

    // Whether synthetic keystrokes can be posted at all; this platform's stand-in for the accessibility
    // permission.
    virtual bool isAvailable() const = 0;
    // The platform's paste keystroke, with no other modifier held; false when nothing can be posted. May be sent
    // a moment later, once the user has let go of the keys of the shortcut that led here. Just before it is sent
    // the target's window must still be the active one; otherwise nothing is typed and `refused` is called.
    virtual bool postPasteKeystroke(PasteTarget target) = 0;
};

} // namespace stowline
