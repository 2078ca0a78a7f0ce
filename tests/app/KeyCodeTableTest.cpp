#include "app/platform/KeyCodeTable.h"
#include "core/shortcut/HotKeyConfiguration.h"

#include <QSet>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {
// X11 keysym values of printable ASCII equal their characters.
constexpr quint32 firstPrintable = 0x20;
constexpr quint32 lastPrintable = 0x7E;
} // namespace

TEST(KeyCodeTable, EveryKeyMapsBothWays) {
    QSet<quint16> codes;
    QSet<quint32> keysyms;
    QSet<QPair<int, bool>> qtKeys;
    for (const KeyCodeTable::Key& key : KeyCodeTable::keys()) {
        SCOPED_TRACE(key.keyCode);
        EXPECT_FALSE(codes.contains(key.keyCode));
        EXPECT_FALSE(keysyms.contains(key.keysym));
        EXPECT_FALSE(qtKeys.contains({key.qtKey, key.keypad}));
        codes.insert(key.keyCode);
        keysyms.insert(key.keysym);
        qtKeys.insert({key.qtKey, key.keypad});
        EXPECT_FALSE(HotKeyConfiguration::isModifierKeyCode(key.keyCode));

        EXPECT_EQ(KeyCodeTable::keysymForKeyCode(key.keyCode), key.keysym);
        EXPECT_EQ(KeyCodeTable::keyCodeForKeysym(key.keysym), key.keyCode);
        EXPECT_EQ(KeyCodeTable::qtKeyForKeyCode(key.keyCode), key.qtKey);
        const Qt::KeyboardModifiers keypad = key.keypad ? Qt::KeypadModifier : Qt::NoModifier;
        EXPECT_EQ(KeyCodeTable::keyCodeForQtKey(key.qtKey, keypad), key.keyCode);
        EXPECT_EQ(KeyCodeTable::keyCodeForQtKey(key.qtKey, keypad | Qt::ShiftModifier | Qt::AltModifier), key.keyCode);
    }
    for (quint32 code : {10u, 52u, 54u, 63u, 127u, 500u}) {
        EXPECT_EQ(KeyCodeTable::keysymForKeyCode(code), std::nullopt) << code;
        EXPECT_EQ(KeyCodeTable::qtKeyForKeyCode(code), std::nullopt) << code;
        EXPECT_EQ(KeyCodeTable::keyText(code), QString()) << code;
    }
}

TEST(KeyCodeTable, EveryPrintableKeyOfAUsKeyboardIsKnown) {
    for (quint32 symbol = firstPrintable; symbol <= lastPrintable; ++symbol) {
        SCOPED_TRACE(testing::Message() << "character " << char(symbol));
        // X reports the shifted symbol for Shift+key; it maps to the key, which maps back to its unshifted form.
        const auto fromX = KeyCodeTable::keyCodeForKeysym(symbol);
        ASSERT_TRUE(fromX);
        EXPECT_EQ(KeyCodeTable::keyCodeForKeysym(*KeyCodeTable::keysymForKeyCode(*fromX)), fromX);
        const QString typed = KeyCodeTable::keyText(*fromX);
        EXPECT_TRUE(typed == QString(QChar(symbol)) || typed == QString(QChar(symbol)).toLower() ||
                    KeyCodeTable::keyCodeForKeysym(typed.front().unicode()) == fromX);

        // Qt has no lower-case letter keys; it reports the upper-case one.
        if (symbol >= u'a' && symbol <= u'z')
            continue;
        const auto fromQt = KeyCodeTable::keyCodeForQtKey(int(symbol), Qt::ShiftModifier);
        EXPECT_EQ(fromQt, fromX);
    }
}

TEST(KeyCodeTable, RecordedKeyPressesBecomeShortcutsThatGrabTheSameKey) {
    struct Press {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        QString expected;
    };
    const Press presses[] = {
        {Qt::Key_W, Qt::AltModifier | Qt::ShiftModifier, u"Alt+Shift+W"_s},
        {Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier, u"Shift+Super+V"_s},
        {Qt::Key_Exclam, Qt::AltModifier | Qt::ShiftModifier, u"Alt+Shift+1"_s},
        {Qt::Key_Return, Qt::ControlModifier | Qt::AltModifier, u"Ctrl+Alt+Return"_s},
        {Qt::Key_Backtab, Qt::ShiftModifier | Qt::ControlModifier, u"Ctrl+Shift+Tab"_s},
        {Qt::Key_Backspace, Qt::MetaModifier, u"Super+Backspace"_s},
        {Qt::Key_Delete, Qt::MetaModifier, u"Super+Delete"_s},
        {Qt::Key_Up, Qt::ControlModifier, u"Ctrl+Up"_s},
        {Qt::Key_BracketLeft, Qt::ControlModifier, u"Ctrl+["_s},
        {Qt::Key_7, Qt::ControlModifier | Qt::KeypadModifier, u"Ctrl+7"_s},
        {Qt::Key_Slash, Qt::AltModifier | Qt::KeypadModifier, u"Alt+/"_s},
        {Qt::Key_F5, Qt::ControlModifier, u"Ctrl+F5"_s}, // types nothing: shown by name
        {Qt::Key_PageUp, Qt::AltModifier, u"Alt+PgUp"_s},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(press.expected.toStdString());
        const auto code = KeyCodeTable::keyCodeForQtKey(press.qtKey, press.modifiers);
        ASSERT_TRUE(code);
        const auto shortcut = HotKeyConfiguration::make(*code, KeyCodeTable::eventFlagsForQtModifiers(press.modifiers),
                                                        KeyCodeTable::keyText(*code));
        ASSERT_TRUE(shortcut);
        EXPECT_EQ(shortcut->displayText, press.expected);
        EXPECT_EQ(KeyCodeTable::carbonForQtModifiers(press.modifiers), shortcut->modifiers);
        EXPECT_TRUE(KeyCodeTable::keysymForKeyCode(shortcut->keyCode));
    }
    EXPECT_EQ(KeyCodeTable::keysymForKeyCode(HotKeyConfiguration::defaultShortcut().keyCode), 0x77u);   // XK_w
    EXPECT_EQ(KeyCodeTable::keysymForKeyCode(HotKeyConfiguration::alternateShortcut().keyCode), 0x76u); // XK_v
}

TEST(KeyCodeTable, ModifiersMapBothWays) {
    constexpr quint16 shiftMask = 1 << 0, controlMask = 1 << 2, mod1Mask = 1 << 3, mod4Mask = 1 << 6;
    using H = HotKeyConfiguration;
    const std::tuple<quint32, quint16, Qt::KeyboardModifiers, quint64> singles[] = {
        {H::controlKey, controlMask, Qt::ControlModifier, H::controlFlag},
        {H::optionKey, mod1Mask, Qt::AltModifier, H::optionFlag},
        {H::shiftKey, shiftMask, Qt::ShiftModifier, H::shiftFlag},
        {H::cmdKey, mod4Mask, Qt::MetaModifier, H::commandFlag},
    };
    for (int combination = 0; combination < 16; ++combination) {
        SCOPED_TRACE(combination);
        quint32 carbon = 0;
        quint16 x = 0;
        Qt::KeyboardModifiers qt;
        quint64 flags = 0;
        for (int i = 0; i < 4; ++i) {
            if (combination & (1 << i)) {
                carbon |= std::get<0>(singles[i]);
                x |= std::get<1>(singles[i]);
                qt |= std::get<2>(singles[i]);
                flags |= std::get<3>(singles[i]);
            }
        }
        EXPECT_EQ(KeyCodeTable::xModifiersForCarbon(carbon), x);
        EXPECT_EQ(KeyCodeTable::carbonForXModifiers(x), carbon);
        EXPECT_EQ(KeyCodeTable::qtModifiersForCarbon(carbon), qt);
        EXPECT_EQ(KeyCodeTable::carbonForQtModifiers(qt), carbon);
        EXPECT_EQ(KeyCodeTable::eventFlagsForQtModifiers(qt | Qt::KeypadModifier), flags);
        // Lock bits and other masks never leak into the stored form, nor the other way.
        EXPECT_EQ(KeyCodeTable::carbonForXModifiers(x | 0x2 | 0x10), carbon); // Caps Lock, Num Lock (Mod2)
        EXPECT_EQ(KeyCodeTable::xModifiersForCarbon(carbon | 0x400 | 0x1), x);
    }
}
