#include "app/platform/KeyCodeTable.h"

#include "core/shortcut/HotKeyConfiguration.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include <array>

namespace stowline::KeyCodeTable {

namespace {

constexpr Key key(quint16 code, quint32 sym, Qt::Key qt, const char16_t* text = u"") {
    return {code, sym, qt, false, text};
}
constexpr Key keypadKey(quint16 code, quint32 sym, Qt::Key qt, const char16_t* text) {
    return {code, sym, qt, true, text};
}

constexpr std::array table{
    key(0, XK_a, Qt::Key_A, u"a"),
    key(1, XK_s, Qt::Key_S, u"s"),
    key(2, XK_d, Qt::Key_D, u"d"),
    key(3, XK_f, Qt::Key_F, u"f"),
    key(4, XK_h, Qt::Key_H, u"h"),
    key(5, XK_g, Qt::Key_G, u"g"),
    key(6, XK_z, Qt::Key_Z, u"z"),
    key(7, XK_x, Qt::Key_X, u"x"),
    key(8, XK_c, Qt::Key_C, u"c"),
    key(9, XK_v, Qt::Key_V, u"v"),
    key(11, XK_b, Qt::Key_B, u"b"),
    key(12, XK_q, Qt::Key_Q, u"q"),
    key(13, XK_w, Qt::Key_W, u"w"),
    key(14, XK_e, Qt::Key_E, u"e"),
    key(15, XK_r, Qt::Key_R, u"r"),
    key(16, XK_y, Qt::Key_Y, u"y"),
    key(17, XK_t, Qt::Key_T, u"t"),
    key(18, XK_1, Qt::Key_1, u"1"),
    key(19, XK_2, Qt::Key_2, u"2"),
    key(20, XK_3, Qt::Key_3, u"3"),
    key(21, XK_4, Qt::Key_4, u"4"),
    key(22, XK_6, Qt::Key_6, u"6"),
    key(23, XK_5, Qt::Key_5, u"5"),
    key(24, XK_equal, Qt::Key_Equal, u"="),
    key(25, XK_9, Qt::Key_9, u"9"),
    key(26, XK_7, Qt::Key_7, u"7"),
    key(27, XK_minus, Qt::Key_Minus, u"-"),
    key(28, XK_8, Qt::Key_8, u"8"),
    key(29, XK_0, Qt::Key_0, u"0"),
    key(30, XK_bracketright, Qt::Key_BracketRight, u"]"),
    key(31, XK_o, Qt::Key_O, u"o"),
    key(32, XK_u, Qt::Key_U, u"u"),
    key(33, XK_bracketleft, Qt::Key_BracketLeft, u"["),
    key(34, XK_i, Qt::Key_I, u"i"),
    key(35, XK_p, Qt::Key_P, u"p"),
    key(36, XK_Return, Qt::Key_Return, u"\r"),
    key(37, XK_l, Qt::Key_L, u"l"),
    key(38, XK_j, Qt::Key_J, u"j"),
    key(39, XK_apostrophe, Qt::Key_Apostrophe, u"'"),
    key(40, XK_k, Qt::Key_K, u"k"),
    key(41, XK_semicolon, Qt::Key_Semicolon, u";"),
    key(42, XK_backslash, Qt::Key_Backslash, u"\\"),
    key(43, XK_comma, Qt::Key_Comma, u","),
    key(44, XK_slash, Qt::Key_Slash, u"/"),
    key(45, XK_n, Qt::Key_N, u"n"),
    key(46, XK_m, Qt::Key_M, u"m"),
    key(47, XK_period, Qt::Key_Period, u"."),
    key(48, XK_Tab, Qt::Key_Tab, u"\t"),
    key(49, XK_space, Qt::Key_Space, u" "),
    key(50, XK_grave, Qt::Key_QuoteLeft, u"`"),
    key(51, XK_BackSpace, Qt::Key_Backspace, u"\b"),
    key(53, XK_Escape, Qt::Key_Escape, u"\x1b"),
    key(64, XK_F17, Qt::Key_F17),
    keypadKey(65, XK_KP_Decimal, Qt::Key_Period, u"."),
    keypadKey(67, XK_KP_Multiply, Qt::Key_Asterisk, u"*"),
    keypadKey(69, XK_KP_Add, Qt::Key_Plus, u"+"),
    keypadKey(75, XK_KP_Divide, Qt::Key_Slash, u"/"),
    keypadKey(76, XK_KP_Enter, Qt::Key_Enter, u"\r"),
    keypadKey(78, XK_KP_Subtract, Qt::Key_Minus, u"-"),
    key(79, XK_F18, Qt::Key_F18),
    key(80, XK_F19, Qt::Key_F19),
    keypadKey(81, XK_KP_Equal, Qt::Key_Equal, u"="),
    keypadKey(82, XK_KP_0, Qt::Key_0, u"0"),
    keypadKey(83, XK_KP_1, Qt::Key_1, u"1"),
    keypadKey(84, XK_KP_2, Qt::Key_2, u"2"),
    keypadKey(85, XK_KP_3, Qt::Key_3, u"3"),
    keypadKey(86, XK_KP_4, Qt::Key_4, u"4"),
    keypadKey(87, XK_KP_5, Qt::Key_5, u"5"),
    keypadKey(88, XK_KP_6, Qt::Key_6, u"6"),
    keypadKey(89, XK_KP_7, Qt::Key_7, u"7"),
    key(90, XK_F20, Qt::Key_F20),
    keypadKey(91, XK_KP_8, Qt::Key_8, u"8"),
    keypadKey(92, XK_KP_9, Qt::Key_9, u"9"),
    key(96, XK_F5, Qt::Key_F5),
    key(97, XK_F6, Qt::Key_F6),
    key(98, XK_F7, Qt::Key_F7),
    key(99, XK_F3, Qt::Key_F3),
    key(100, XK_F8, Qt::Key_F8),
    key(101, XK_F9, Qt::Key_F9),
    key(103, XK_F11, Qt::Key_F11),
    key(105, XK_F13, Qt::Key_F13),
    key(106, XK_F16, Qt::Key_F16),
    key(107, XK_F14, Qt::Key_F14),
    key(109, XK_F10, Qt::Key_F10),
    key(111, XK_F12, Qt::Key_F12),
    key(113, XK_F15, Qt::Key_F15),
    key(114, XK_Insert, Qt::Key_Insert), // the Help key sits where Insert does
    key(115, XK_Home, Qt::Key_Home),
    key(116, XK_Prior, Qt::Key_PageUp),
    key(117, XK_Delete, Qt::Key_Delete, u"\x7f"),
    key(118, XK_F4, Qt::Key_F4),
    key(119, XK_End, Qt::Key_End),
    key(120, XK_F2, Qt::Key_F2),
    key(121, XK_Next, Qt::Key_PageDown),
    key(122, XK_F1, Qt::Key_F1),
    key(123, XK_Left, Qt::Key_Left),
    key(124, XK_Right, Qt::Key_Right),
    key(125, XK_Down, Qt::Key_Down),
    key(126, XK_Up, Qt::Key_Up),
};

struct Alias {
    quint32 symbol;
    quint16 keyCode;
};

// Shifted symbols of a US layout, which X and Qt report for a key pressed with Shift.
constexpr std::array<Alias, 22> qtShiftedKeys{{
    {Qt::Key_Exclam, 18},      {Qt::Key_At, 19},         {Qt::Key_NumberSign, 20}, {Qt::Key_Dollar, 21},
    {Qt::Key_AsciiCircum, 22}, {Qt::Key_Percent, 23},    {Qt::Key_Plus, 24},       {Qt::Key_ParenLeft, 25},
    {Qt::Key_Ampersand, 26},   {Qt::Key_Underscore, 27}, {Qt::Key_Asterisk, 28},   {Qt::Key_ParenRight, 29},
    {Qt::Key_BraceRight, 30},  {Qt::Key_BraceLeft, 33},  {Qt::Key_QuoteDbl, 39},   {Qt::Key_Colon, 41},
    {Qt::Key_Bar, 42},         {Qt::Key_Less, 43},       {Qt::Key_Question, 44},   {Qt::Key_Greater, 47},
    {Qt::Key_Backtab, 48},     {Qt::Key_AsciiTilde, 50},
}};

constexpr std::array<Alias, 32> shiftedKeysyms{{
    {XK_exclam, 18},
    {XK_at, 19},
    {XK_numbersign, 20},
    {XK_dollar, 21},
    {XK_asciicircum, 22},
    {XK_percent, 23},
    {XK_plus, 24},
    {XK_parenleft, 25},
    {XK_ampersand, 26},
    {XK_underscore, 27},
    {XK_asterisk, 28},
    {XK_parenright, 29},
    {XK_braceright, 30},
    {XK_braceleft, 33},
    {XK_quotedbl, 39},
    {XK_colon, 41},
    {XK_bar, 42},
    {XK_less, 43},
    {XK_question, 44},
    {XK_greater, 47},
    {XK_ISO_Left_Tab, 48},
    {XK_asciitilde, 50},
    // The keypad with Num Lock off.
    {XK_KP_Delete, 65},
    {XK_KP_Insert, 82},
    {XK_KP_End, 83},
    {XK_KP_Down, 84},
    {XK_KP_Next, 85},
    {XK_KP_Left, 86},
    {XK_KP_Begin, 87},
    {XK_KP_Right, 88},
    {XK_KP_Home, 89},
    {XK_KP_Up, 91},
}};

const Key* byKeyCode(quint32 keyCode) {
    for (const Key& k : table) {
        if (k.keyCode == keyCode)
            return &k;
    }
    return nullptr;
}

struct ModifierBits {
    quint32 carbon;
    quint16 x;
    Qt::KeyboardModifier qt;
    quint64 eventFlag;
};

constexpr std::array<ModifierBits, 4> modifierBits{{
    {HotKeyConfiguration::controlKey, ControlMask, Qt::ControlModifier, HotKeyConfiguration::controlFlag},
    {HotKeyConfiguration::optionKey, Mod1Mask, Qt::AltModifier, HotKeyConfiguration::optionFlag},
    {HotKeyConfiguration::shiftKey, ShiftMask, Qt::ShiftModifier, HotKeyConfiguration::shiftFlag},
    {HotKeyConfiguration::cmdKey, Mod4Mask, Qt::MetaModifier, HotKeyConfiguration::commandFlag},
}};

} // namespace

std::span<const Key> keys() {
    return table;
}

std::optional<quint32> keysymForKeyCode(quint32 keyCode) {
    const Key* k = byKeyCode(keyCode);
    return k ? std::optional(k->keysym) : std::nullopt;
}

std::optional<quint16> keyCodeForKeysym(quint32 keysym) {
    if (keysym >= XK_A && keysym <= XK_Z)
        keysym += XK_a - XK_A;
    for (const Key& k : table) {
        if (k.keysym == keysym)
            return k.keyCode;
    }
    for (const Alias& alias : shiftedKeysyms) {
        if (alias.symbol == keysym)
            return alias.keyCode;
    }
    return std::nullopt;
}

std::optional<int> qtKeyForKeyCode(quint32 keyCode) {
    const Key* k = byKeyCode(keyCode);
    return k ? std::optional(k->qtKey) : std::nullopt;
}

std::optional<quint16> keyCodeForQtKey(int qtKey, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    for (const Key& k : table) {
        if (k.qtKey == qtKey && k.keypad == keypad)
            return k.keyCode;
    }
    if (!keypad) {
        for (const Alias& alias : qtShiftedKeys) {
            if (alias.symbol == static_cast<quint32>(qtKey))
                return alias.keyCode;
        }
    }
    // Enter exists only on the keypad, whatever the event says.
    for (const Key& k : table) {
        if (k.qtKey == qtKey)
            return k.keyCode;
    }
    return std::nullopt;
}

QString keyText(quint32 keyCode) {
    const Key* k = byKeyCode(keyCode);
    return k ? QString::fromUtf16(k->text) : QString();
}

quint16 xModifiersForCarbon(quint32 carbonModifiers) {
    quint16 result = 0;
    for (const ModifierBits& bits : modifierBits)
        result |= (carbonModifiers & bits.carbon) ? bits.x : 0;
    return result;
}

quint32 carbonForXModifiers(quint16 xModifiers) {
    quint32 result = 0;
    for (const ModifierBits& bits : modifierBits)
        result |= (xModifiers & bits.x) ? bits.carbon : 0;
    return result;
}

Qt::KeyboardModifiers qtModifiersForCarbon(quint32 carbonModifiers) {
    Qt::KeyboardModifiers result;
    for (const ModifierBits& bits : modifierBits)
        result.setFlag(bits.qt, (carbonModifiers & bits.carbon) != 0);
    return result;
}

quint32 carbonForQtModifiers(Qt::KeyboardModifiers modifiers) {
    quint32 result = 0;
    for (const ModifierBits& bits : modifierBits)
        result |= modifiers.testFlag(bits.qt) ? bits.carbon : 0;
    return result;
}

quint64 eventFlagsForQtModifiers(Qt::KeyboardModifiers modifiers) {
    quint64 result = 0;
    for (const ModifierBits& bits : modifierBits)
        result |= modifiers.testFlag(bits.qt) ? bits.eventFlag : 0;
    return result;
}

} // namespace stowline::KeyCodeTable
