#pragma once

#include <memory>

namespace stowline {

class WaylandConnection;

// A keyboard of our own that the compositor treats as a real one, for the paste keystroke. Created once, before
// the connection starts, so the compositor knows it (and its keymap) before the first key; used on the worker.
class SyntheticKeyboard {
public:
    // The wlroots virtual keyboard when offered, KDE's fake input otherwise; nothing when the compositor offers
    // neither (or would not take the keymap).
    static std::unique_ptr<SyntheticKeyboard> create(WaylandConnection& connection);
    virtual ~SyntheticKeyboard() = default;

    // Worker only: Ctrl+V, pressed and let go, with nothing else held.
    virtual void typePaste() = 0;
    // Worker only: one key (as the kernel numbers it) pressed and let go, with nothing else held.
    virtual void typeKey(unsigned code) = 0;

protected:
    // Key codes as the kernel numbers them, which both protocols take.
    static constexpr unsigned kLeftControl = 29;
    static constexpr unsigned kV = 47;
};

} // namespace stowline
