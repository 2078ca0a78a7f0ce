#include "app/platform/wayland/SyntheticKeyboard.h"

#include "app/platform/wayland/FakeInputKeyboard.h"
#include "app/platform/wayland/VirtualKeyboard.h"
#include "app/platform/wayland/WaylandConnection.h"

namespace stowline {

std::unique_ptr<SyntheticKeyboard> SyntheticKeyboard::create(WaylandConnection& connection) {
    if (connection.capabilities().virtualKeyboard && connection.seat() != nullptr) {
        if (std::unique_ptr<VirtualKeyboard> keyboard = VirtualKeyboard::create(connection))
            return keyboard;
    }
    if (connection.capabilities().fakeInput)
        return FakeInputKeyboard::create(connection);
    return nullptr;
}

} // namespace stowline
