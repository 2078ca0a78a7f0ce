#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace stowline {

// A global shortcut as stored: a Mac virtual key code, a Carbon modifier mask and the text shown to the user.
// The numbering is the stored form's own; the platform layer maps it to X keysyms and modifier masks.
struct HotKeyConfiguration {
    quint32 keyCode = 0;
    quint32 modifiers = 0;
    QString displayText;

    // Carbon modifier bits of `modifiers`.
    static constexpr quint32 controlKey = 0x1000;
    static constexpr quint32 optionKey = 0x800;
    static constexpr quint32 shiftKey = 0x200;
    static constexpr quint32 cmdKey = 0x100;

    // Event-flag bits of a key press, as `make` takes them.
    static constexpr quint64 controlFlag = 0x40000;
    static constexpr quint64 optionFlag = 0x80000;
    static constexpr quint64 shiftFlag = 0x20000;
    static constexpr quint64 commandFlag = 0x100000;

    // Key codes of the modifier keys themselves (right Command to Function), never the main key of a shortcut.
    static constexpr quint32 firstModifierKeyCode = 0x36;
    static constexpr quint32 lastModifierKeyCode = 0x3F;
    static constexpr bool isModifierKeyCode(quint32 code) {
        return code >= firstModifierKeyCode && code <= lastModifierKeyCode;
    }

    // A shortcut from a key press: its key code, the event's modifier flags and the characters the key produced
    // without modifiers. Nothing when no modifier is held, the key is a modifier, or the key has no name.
    static std::optional<HotKeyConfiguration> make(quint16 keyCode, quint64 eventModifiers, const QString& keyText);

    // Alt+Shift+W, the shortcut when nothing valid is stored.
    static HotKeyConfiguration defaultShortcut();
    // Shift+Super+V, the first fallback.
    static HotKeyConfiguration alternateShortcut();
    static QList<HotKeyConfiguration> builtInShortcuts();

    // Exactly one modifier: delivered by interception, which needs the accessibility permission.
    bool requiresAccessibilityInterception() const;

    // {"keyCode": n, "modifiers": n, "displayText": s}; all three keys are required when reading.
    QByteArray toJson() const;
    static std::optional<HotKeyConfiguration> fromJson(QByteArrayView json);

    friend bool operator==(const HotKeyConfiguration&, const HotKeyConfiguration&) = default;
};

} // namespace stowline
