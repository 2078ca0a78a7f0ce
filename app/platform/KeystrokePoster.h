#pragma once

namespace stowline {

// Synthetic keystrokes into whatever window has the focus. Used on the GUI thread only.
class KeystrokePoster {
public:
    virtual ~KeystrokePoster() = default;

    // Whether synthetic keystrokes can be posted at all; this platform's stand-in for the accessibility
    // permission.
    virtual bool isAvailable() const = 0;
    // The platform's paste keystroke, with no other modifier held; false when nothing could be posted.
    virtual bool postPasteKeystroke() = 0;
};

} // namespace stowline
