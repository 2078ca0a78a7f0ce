#pragma once

namespace stowline {

// Synthetic keystrokes into whatever window has the focus. Used on the GUI thread only.
class KeystrokePoster {
public:
    virtual ~KeystrokePoster() = default;

    // Whether synthetic keystrokes can be posted at all; this platform's stand-in for the accessibility
    // permission.
    virtual bool isAvailable() const = 0;
    // The platform's paste keystroke, with no other modifier held; false when nothing can be posted. May be sent
    // a moment later, once the user has let go of the keys of the shortcut that led here.
    virtual bool postPasteKeystroke() = 0;
};

} // namespace stowline
