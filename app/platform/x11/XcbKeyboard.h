#pragma once

#include "app/platform/x11/XcbConnection.h"

#include <QList>

namespace stowline::XcbKeyboard {

// The key codes that type the keysym on the current keyboard map, in key code order.
QList<xcb_keycode_t> keyCodes(xcb_connection_t* connection, xcb_keysym_t keysym);

// The key codes bound to each of the eight modifiers (Shift, Lock, Control, Mod1 … Mod5).
QList<QList<xcb_keycode_t>> modifierMap(xcb_connection_t* connection);

// The modifier mask of the modifier one of whose keys types the keysym (Num Lock is usually Mod2); 0 if none.
quint16 modifierMaskOf(xcb_connection_t* connection, xcb_keysym_t keysym);

inline constexpr xcb_keysym_t kNumLock = 0xff7f;
inline constexpr xcb_keysym_t kControlLeft = 0xffe3;
inline constexpr xcb_keysym_t kLowercaseV = 0x0076;

} // namespace stowline::XcbKeyboard
