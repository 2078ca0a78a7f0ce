#pragma once

#include "app/platform/wayland/SyntheticKeyboard.h"

#include <cstdint>

struct zwp_virtual_keyboard_v1;

namespace stowline {

class WaylandConnection;

// zwp_virtual_keyboard_v1 (Sway and the other wlroots compositors). The compositor drops keys from a keyboard
// whose keymap it has not taken yet, so the keymap goes up at creation and a roundtrip waits for it.
class VirtualKeyboard final : public SyntheticKeyboard {
public:
    // Nothing when no keymap could be built or the compositor broke the connection meanwhile.
    static std::unique_ptr<VirtualKeyboard> create(WaylandConnection& connection);
    ~VirtualKeyboard() override;

    void typePaste() override;
    void typeKey(unsigned code) override;

private:
    VirtualKeyboard(zwp_virtual_keyboard_v1* keyboard, uint32_t controlMask)
        : m_keyboard(keyboard), m_controlMask(controlMask) {}
    void key(unsigned code, bool pressed, uint32_t modifiers);

    zwp_virtual_keyboard_v1* m_keyboard;
    uint32_t m_controlMask;
};

} // namespace stowline
