#include "app/platform/wayland/VirtualKeyboard.h"

#include "app/platform/wayland/WaylandConnection.h"

#include <wayland/virtual-keyboard-unstable-v1-client-protocol.h>

#include <xkbcommon/xkbcommon.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

namespace stowline {

namespace {

template <typename T, void (*Free)(T*)>
struct XkbDeleter {
    void operator()(T* object) const { Free(object); }
};
using XkbContext = std::unique_ptr<xkb_context, XkbDeleter<xkb_context, xkb_context_unref>>;
using XkbKeymap = std::unique_ptr<xkb_keymap, XkbDeleter<xkb_keymap, xkb_keymap_unref>>;

// A memfd holding `text` with its terminating zero, which the compositor maps; -1 on failure.
int keymapFile(const char* text, size_t size) {
    const int fd = memfd_create("stowline-keymap", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, text + written, size - written);
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += size_t(n);
    }
    return fd;
}

uint32_t milliseconds() {
    using namespace std::chrono;
    return uint32_t(duration_cast<std::chrono::milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

std::unique_ptr<VirtualKeyboard> VirtualKeyboard::create(WaylandConnection& connection) {
    // Any keymap with Control and V on their usual keys does: only those two are ever sent.
    const XkbContext context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context)
        return nullptr;
    const xkb_rule_names names{"evdev", "pc105", "us", "", ""};
    const XkbKeymap keymap(xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap)
        return nullptr;
    const xkb_mod_index_t control = xkb_keymap_mod_get_index(keymap.get(), XKB_MOD_NAME_CTRL);
    char* text = xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1);
    if (text == nullptr || control == XKB_MOD_INVALID) {
        free(text);
        return nullptr;
    }
    const size_t size = strlen(text) + 1;
    const int fd = keymapFile(text, size);
    free(text);
    if (fd < 0)
        return nullptr;

    auto* manager =
        static_cast<zwp_virtual_keyboard_manager_v1*>(connection.bind(&zwp_virtual_keyboard_manager_v1_interface, 1));
    if (manager == nullptr) {
        close(fd);
        return nullptr;
    }
    zwp_virtual_keyboard_v1* keyboard =
        zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(manager, connection.seat());
    zwp_virtual_keyboard_v1_keymap(keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd, uint32_t(size));
    close(fd);
    zwp_virtual_keyboard_manager_v1_destroy(manager);
    // Before the worker owns the connection: the keymap has reached the compositor once this returns.
    if (wl_display_roundtrip(connection.display()) < 0) {
        zwp_virtual_keyboard_v1_destroy(keyboard);
        return nullptr;
    }
    return std::unique_ptr<VirtualKeyboard>(new VirtualKeyboard(keyboard, 1U << control));
}

VirtualKeyboard::~VirtualKeyboard() {
    zwp_virtual_keyboard_v1_destroy(m_keyboard);
}

void VirtualKeyboard::key(unsigned code, bool pressed, uint32_t modifiers) {
    zwp_virtual_keyboard_v1_key(m_keyboard, milliseconds(), code,
                                pressed ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
    zwp_virtual_keyboard_v1_modifiers(m_keyboard, modifiers, 0, 0, 0);
}

void VirtualKeyboard::typePaste() {
    key(kLeftControl, true, m_controlMask);
    key(kV, true, m_controlMask);
    key(kV, false, m_controlMask);
    key(kLeftControl, false, 0);
}

void VirtualKeyboard::typeKey(unsigned code) {
    key(code, true, 0);
    key(code, false, 0);
}

} // namespace stowline
