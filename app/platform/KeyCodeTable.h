#pragma once

#include <QString>
#include <Qt>

#include <optional>
#include <span>

// Between the stored shortcut numbering (Mac virtual key codes, Carbon modifier bits), X11 (keysyms, modifier
// masks) and Qt key events. Letters and symbols are matched by what the key types, as X grabs go by keysym.
namespace stowline::KeyCodeTable {

struct Key {
    quint16 keyCode;      // as stored
    quint32 keysym;       // unshifted X keysym
    int qtKey;            // Qt::Key
    bool keypad;          // Qt reports it with Qt::KeypadModifier
    const char16_t* text; // what it types without modifiers on a US layout; empty for keys that type nothing
};

std::span<const Key> keys();

std::optional<quint32> keysymForKeyCode(quint32 keyCode);
// Also takes the shifted keysym of a key ("exclam" for the 1 key, "W" for "w").
std::optional<quint16> keyCodeForKeysym(quint32 keysym);
std::optional<int> qtKeyForKeyCode(quint32 keyCode);
// Qt names the shifted symbol (Key_Exclam for Shift+1) and marks keypad keys with a modifier; both are undone.
std::optional<quint16> keyCodeForQtKey(int qtKey, Qt::KeyboardModifiers modifiers);
// The characters the key types without modifiers, as a shortcut's key text; empty when unknown.
QString keyText(quint32 keyCode);

// Control, Alt (Mod1), Shift and Super (Mod4); other bits are dropped.
quint16 xModifiersForCarbon(quint32 carbonModifiers);
quint32 carbonForXModifiers(quint16 xModifiers);
Qt::KeyboardModifiers qtModifiersForCarbon(quint32 carbonModifiers);
quint32 carbonForQtModifiers(Qt::KeyboardModifiers modifiers);
// The event-flag form that HotKeyConfiguration::make takes.
quint64 eventFlagsForQtModifiers(Qt::KeyboardModifiers modifiers);

} // namespace stowline::KeyCodeTable
