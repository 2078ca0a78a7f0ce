#include "app/platform/wayland/FakeInputKeyboard.h"

#include "app/platform/wayland/WaylandConnection.h"

#include <wayland/fake-input-client-protocol.h>

namespace stowline {

namespace {

constexpr uint32_t kKeyboardKeyVersion = 4;

} // namespace

std::unique_ptr<FakeInputKeyboard> FakeInputKeyboard::create(WaylandConnection& connection) {
    uint32_t version = 0;
    auto* input =
        static_cast<org_kde_kwin_fake_input*>(connection.bind(&org_kde_kwin_fake_input_interface, 4, &version));
    if (input == nullptr)
        return nullptr;
    if (version < kKeyboardKeyVersion) {
        org_kde_kwin_fake_input_destroy(input);
        return nullptr;
    }
    org_kde_kwin_fake_input_authenticate(input, "Stowline", "Paste the clip you chose into the window you came from");
    return std::unique_ptr<FakeInputKeyboard>(new FakeInputKeyboard(input));
}

FakeInputKeyboard::~FakeInputKeyboard() {
    org_kde_kwin_fake_input_destroy(m_input);
}

void FakeInputKeyboard::typePaste() {
    org_kde_kwin_fake_input_keyboard_key(m_input, kLeftControl, WL_KEYBOARD_KEY_STATE_PRESSED);
    org_kde_kwin_fake_input_keyboard_key(m_input, kV, WL_KEYBOARD_KEY_STATE_PRESSED);
    org_kde_kwin_fake_input_keyboard_key(m_input, kV, WL_KEYBOARD_KEY_STATE_RELEASED);
    org_kde_kwin_fake_input_keyboard_key(m_input, kLeftControl, WL_KEYBOARD_KEY_STATE_RELEASED);
}

void FakeInputKeyboard::typeKey(unsigned code) {
    org_kde_kwin_fake_input_keyboard_key(m_input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
    org_kde_kwin_fake_input_keyboard_key(m_input, code, WL_KEYBOARD_KEY_STATE_RELEASED);
}

} // namespace stowline
