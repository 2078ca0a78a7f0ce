#pragma once

#include "app/platform/KeystrokePoster.h"
#include "app/platform/x11/XcbConnection.h"

namespace stowline {

// Ctrl+V through the XTEST extension, as if typed on the keyboard.
class XTestKeystrokePoster final : public KeystrokePoster {
public:
    explicit XTestKeystrokePoster(XcbConnection connection = XcbConnection::ofApplication());

    bool isAvailable() const override;
    bool postPasteKeystroke() override;

private:
    void fakeKey(uint8_t type, xcb_keycode_t code) const;

    XcbConnection m_connection;
};

} // namespace stowline
