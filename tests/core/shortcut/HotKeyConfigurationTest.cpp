#include "core/appearance/AppearancePreference.h"
#include "core/shortcut/HotKeyConfiguration.h"
#include "core/shortcut/ShortcutDeliveryPolicy.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {
using H = HotKeyConfiguration;
constexpr quint64 command = H::commandFlag;
constexpr quint64 shift = H::shiftFlag;
constexpr quint64 option = H::optionFlag;
constexpr quint64 control = H::controlFlag;
constexpr quint64 capsLock = 0x10000;
} // namespace

TEST(HotKeyConfiguration, MakesShortcutsFromKeyPresses) {
    struct Case {
        quint16 keyCode;
        quint64 flags;
        QString text;
        std::optional<H> expected;
    };
    const Case cases[] = {
        {9, command | shift, u"v"_s, H{9, 0x300, u"Shift+Super+V"_s}},
        {36, control | option, u"\r"_s, H{36, 0x1800, u"Ctrl+Alt+Return"_s}},
        {40, option | shift, u"k"_s, H{40, 0xA00, u"Alt+Shift+K"_s}},
        {13, option | shift | capsLock, u"w"_s, H{13, 0xA00, u"Alt+Shift+W"_s}},
        {32, option, u"u"_s, H{32, 0x800, u"Alt+U"_s}},
        {0, control | option | shift | command, u"a"_s, H{0, 0x1B00, u"Ctrl+Alt+Shift+Super+A"_s}},
        {49, control, u" "_s, H{49, 0x1000, u"Ctrl+Space"_s}},
        {51, command, u"\b"_s, H{51, 0x100, u"Super+Backspace"_s}},
        {117, command, u""_s, H{117, 0x100, u"Super+Delete"_s}},
        {53, control, u"\x1b"_s, H{53, 0x1000, u"Ctrl+Esc"_s}},
        {48, option, u"\t"_s, H{48, 0x800, u"Alt+Tab"_s}},
        {123, command, u""_s, H{123, 0x100, u"Super+Left"_s}},
        {124, command, u""_s, H{124, 0x100, u"Super+Right"_s}},
        {125, command, u""_s, H{125, 0x100, u"Super+Down"_s}},
        {126, command, u""_s, H{126, 0x100, u"Super+Up"_s}},
        {1, option, u"\u00DF"_s, H{1, 0x800, u"Alt+SS"_s}}, // full upper-casing
        {56, shift, u""_s, std::nullopt},                   // Shift alone
        {0x36, command, u""_s, std::nullopt},
        {0x3F, control, u""_s, std::nullopt},
        {13, 0, u"w"_s, std::nullopt},                    // no modifier
        {13, capsLock, u"w"_s, std::nullopt},             // Caps Lock is not a shortcut modifier
        {122, option, u""_s, H{122, 0x800, u"Alt+F1"_s}}, // keys that type nothing go by name
        {111, control | shift, u""_s, H{111, 0x1200, u"Ctrl+Shift+F12"_s}},
        {115, option, u""_s, H{115, 0x800, u"Alt+Home"_s}},
        {119, option, u""_s, H{119, 0x800, u"Alt+End"_s}},
        {116, option, u""_s, H{116, 0x800, u"Alt+PgUp"_s}},
        {121, option, u""_s, H{121, 0x800, u"Alt+PgDown"_s}},
        {114, command, u""_s, H{114, 0x100, u"Super+Insert"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keyCode << " flags " << c.flags);
        EXPECT_EQ(H::make(c.keyCode, c.flags, c.text), c.expected); // equality covers every field
    }
    EXPECT_EQ(H::make(0x35, 0, u""_s), std::nullopt);
    EXPECT_EQ(H::make(0x42, command, u""_s), std::nullopt); // past the modifier keys, but nameless
    EXPECT_TRUE(H::make(0x35, command, u""_s));             // just before them
}

TEST(HotKeyConfiguration, BuiltInShortcutsAreRecordable) {
    EXPECT_EQ(H::builtInShortcuts(), QList<H>({H::defaultShortcut(), H::alternateShortcut()}));
    EXPECT_EQ(H::defaultShortcut(), H::make(13, option | shift, u"w"_s));
    EXPECT_EQ(H::alternateShortcut(), H::make(9, shift | command, u"v"_s));
    EXPECT_FALSE(H::defaultShortcut().requiresAccessibilityInterception());
    EXPECT_FALSE(H::alternateShortcut().requiresAccessibilityInterception());
}

TEST(HotKeyConfiguration, InterceptionIsNeededForExactlyOneModifier) {
    const std::pair<quint32, bool> cases[] = {
        {0, false},      {0x1000, true},  {0x800, true},   {0x200, true},   {0x100, true},
        {0x900, false},  {0x1B00, false}, {0x1300, false}, {0x10200, true}, // other bits ignored
        {0x4000, false}, {0x0080, false},
    };
    for (const auto& [modifiers, expected] : cases) {
        SCOPED_TRACE(modifiers);
        EXPECT_EQ((H{13, modifiers, u"x"_s}.requiresAccessibilityInterception()), expected);
    }
    for (int count = 0; count <= 4; ++count)
        EXPECT_EQ(ShortcutDeliveryPolicy::requiresAccessibility(count), count == 1) << count;
}

TEST(HotKeyConfiguration, JsonRoundTripsAndRejectsIncompleteObjects) {
    const H shortcut{4294967295u, 0x1B00, u"Ctrl+\"Q\u00E9\""_s};
    EXPECT_EQ(H::fromJson(shortcut.toJson()), shortcut);
    EXPECT_EQ(H::fromJson(R"({"keyCode":13,"modifiers":2560,"displayText":"Alt+Shift+W","extra":1})"),
              H::defaultShortcut());

    const QByteArray rejected[] = {
        R"({"keyCode":13,"modifiers":2560})",
        R"({"keyCode":13,"displayText":"W"})",
        R"({"modifiers":2560,"displayText":"W"})",
        R"({"keyCode":"13","modifiers":2560,"displayText":"W"})",
        R"({"keyCode":13,"modifiers":2560,"displayText":7})",
        R"({"keyCode":13.5,"modifiers":2560,"displayText":"W"})",
        R"({"keyCode":-1,"modifiers":2560,"displayText":"W"})",
        R"({"keyCode":4294967296,"modifiers":2560,"displayText":"W"})",
        R"({"keyCode":13,"modifiers":null,"displayText":"W"})",
        R"([13,2560,"W"])",
        R"({"keyCode":13,"modifiers":2560,"displayText":"W")",
        "",
        "\xff\xfe",
    };
    for (const QByteArray& json : rejected) {
        SCOPED_TRACE(json.toStdString());
        EXPECT_EQ(H::fromJson(json), std::nullopt);
    }
}

TEST(HotKeyConfiguration, EqualityCoversTheDisplayText) {
    EXPECT_NE((H{13, 0xA00, u"Alt+Shift+W"_s}), (H{13, 0xA00, u"\u2325\u21E7W"_s}));
    EXPECT_NE((H{13, 0xA00, u"W"_s}), (H{13, 0xA01, u"W"_s}));
    EXPECT_NE((H{13, 0xA00, u"W"_s}), (H{14, 0xA00, u"W"_s}));
}

TEST(AppearancePreference, StoredValuesNeverFail) {
    const std::pair<std::optional<QString>, AppearancePreference> cases[] = {
        {u"light"_s, AppearancePreference::light},   {u"dark"_s, AppearancePreference::dark},
        {u"system"_s, AppearancePreference::system}, {u"Dark"_s, AppearancePreference::system},
        {u""_s, AppearancePreference::system},       {std::nullopt, AppearancePreference::system},
        {u" light"_s, AppearancePreference::system},
    };
    for (const auto& [stored, expected] : cases) {
        SCOPED_TRACE(stored.value_or(u"<absent>"_s).toStdString());
        EXPECT_EQ(appearanceFromStoredValue(stored), expected);
    }
    EXPECT_EQ(fromRawValue<AppearancePreference>(u"dark"), AppearancePreference::dark);
    EXPECT_EQ(fromRawValue<AppearancePreference>(u"Dark"), std::nullopt);
    EXPECT_EQ(fromRawValue<AppearancePreference>(u""), std::nullopt);
    QStringList names;
    for (AppearancePreference appearance : allCases<AppearancePreference>()) {
        names.append(displayName(appearance));
        EXPECT_EQ(fromRawValue<AppearancePreference>(rawValue(appearance)), appearance);
    }
    EXPECT_EQ(names, QStringList({u"System"_s, u"Light"_s, u"Dark"_s}));
}
