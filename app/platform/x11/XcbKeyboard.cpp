#include "app/platform/x11/XcbKeyboard.h"

#include <xcb/xcb_keysyms.h>

namespace stowline::XcbKeyboard {

QList<xcb_keycode_t> keyCodes(xcb_connection_t* connection, xcb_keysym_t keysym) {
    // Allocated per call: the table reflects the keyboard map at the time, which can change between calls.
    const std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(connection),
                                                                                      &xcb_key_symbols_free);
    if (!symbols)
        return {};
    const XcbPointer<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols.get(), keysym));
    QList<xcb_keycode_t> result;
    for (const xcb_keycode_t* code = codes.get(); code != nullptr && *code != XCB_NO_SYMBOL; ++code)
        result.append(*code);
    return result;
}

QList<QList<xcb_keycode_t>> modifierMap(xcb_connection_t* connection) {
    const XcbPointer<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!reply)
        return {};
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    QList<QList<xcb_keycode_t>> map(8);
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            if (const xcb_keycode_t code = codes[modifier * perModifier + i]; code != 0)
                map[modifier].append(code);
        }
    }
    return map;
}

quint16 modifierMaskOf(xcb_connection_t* connection, xcb_keysym_t keysym) {
    const QList<xcb_keycode_t> codes = keyCodes(connection, keysym);
    const QList<QList<xcb_keycode_t>> map = modifierMap(connection);
    for (qsizetype modifier = 0; modifier < map.size(); ++modifier) {
        for (const xcb_keycode_t code : map[modifier]) {
            if (codes.contains(code))
                return static_cast<quint16>(1U << modifier);
        }
    }
    return 0;
}

} // namespace stowline::XcbKeyboard
