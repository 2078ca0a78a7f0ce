#include "core/shortcut/HotKeyConfiguration.h"

#include "core/shortcut/ShortcutDeliveryPolicy.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

#include <array>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

struct ModifierWording {
    quint64 eventFlag;
    quint32 carbonBit;
    const char16_t* prefix;
};

// In display order: Control, Option (Alt), Shift, Command (Super).
constexpr std::array<ModifierWording, 4> modifierWordings{{
    {HotKeyConfiguration::controlFlag, HotKeyConfiguration::controlKey, u"Ctrl+"},
    {HotKeyConfiguration::optionFlag, HotKeyConfiguration::optionKey, u"Alt+"},
    {HotKeyConfiguration::shiftFlag, HotKeyConfiguration::shiftKey, u"Shift+"},
    {HotKeyConfiguration::commandFlag, HotKeyConfiguration::cmdKey, u"Super+"},
}};

constexpr quint64 anyModifierFlag = HotKeyConfiguration::controlFlag | HotKeyConfiguration::optionFlag |
                                    HotKeyConfiguration::shiftFlag | HotKeyConfiguration::commandFlag;

struct KeyName {
    quint32 keyCode;
    const char16_t* text;
};

// Keys that type nothing, or nothing readable, are shown by name.
constexpr std::array<KeyName, 35> keyNames{{
    {36, u"Return"}, {48, u"Tab"},     {49, u"Space"},   {51, u"Backspace"}, {53, u"Esc"},   {117, u"Delete"},
    {123, u"Left"},  {124, u"Right"},  {125, u"Down"},   {126, u"Up"},       {115, u"Home"}, {119, u"End"},
    {116, u"PgUp"},  {121, u"PgDown"}, {114, u"Insert"}, {122, u"F1"},       {120, u"F2"},   {99, u"F3"},
    {118, u"F4"},    {96, u"F5"},      {97, u"F6"},      {98, u"F7"},        {100, u"F8"},   {101, u"F9"},
    {109, u"F10"},   {103, u"F11"},    {111, u"F12"},    {105, u"F13"},      {107, u"F14"},  {113, u"F15"},
    {106, u"F16"},   {64, u"F17"},     {79, u"F18"},     {80, u"F19"},       {90, u"F20"},
}};

QString displayKey(quint32 keyCode, const QString& fallback) {
    for (const KeyName& name : keyNames) {
        if (name.keyCode == keyCode)
            return QString::fromUtf16(name.text);
    }
    return fallback.toUpper();
}

std::optional<quint32> unsignedField(const QJsonObject& object, QLatin1StringView key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (number != std::trunc(number) || number < 0 || number > std::numeric_limits<quint32>::max())
        return std::nullopt;
    return static_cast<quint32>(number);
}

} // namespace

std::optional<HotKeyConfiguration> HotKeyConfiguration::make(quint16 keyCode, quint64 eventModifiers,
                                                             const QString& keyText) {
    if ((eventModifiers & anyModifierFlag) == 0 || isModifierKeyCode(keyCode))
        return std::nullopt;
    HotKeyConfiguration result;
    result.keyCode = keyCode;
    for (const ModifierWording& modifier : modifierWordings) {
        if (eventModifiers & modifier.eventFlag) {
            result.displayText += QStringView(modifier.prefix);
            result.modifiers |= modifier.carbonBit;
        }
    }
    const QString key = displayKey(keyCode, keyText);
    if (key.isEmpty())
        return std::nullopt;
    result.displayText += key;
    return result;
}

HotKeyConfiguration HotKeyConfiguration::defaultShortcut() {
    return {13, optionKey | shiftKey, u"Alt+Shift+W"_s};
}

HotKeyConfiguration HotKeyConfiguration::alternateShortcut() {
    return {9, cmdKey | shiftKey, u"Shift+Super+V"_s};
}

QList<HotKeyConfiguration> HotKeyConfiguration::builtInShortcuts() {
    return {defaultShortcut(), alternateShortcut()};
}

bool HotKeyConfiguration::requiresAccessibilityInterception() const {
    int count = 0;
    for (const ModifierWording& modifier : modifierWordings)
        count += (modifiers & modifier.carbonBit) ? 1 : 0;
    return ShortcutDeliveryPolicy::requiresAccessibility(count);
}

QByteArray HotKeyConfiguration::toJson() const {
    const QJsonObject object{
        {u"keyCode"_s, static_cast<qint64>(keyCode)},
        {u"modifiers"_s, static_cast<qint64>(modifiers)},
        {u"displayText"_s, displayText},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<HotKeyConfiguration> HotKeyConfiguration::fromJson(QByteArrayView json) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const auto keyCode = unsignedField(object, "keyCode"_L1);
    const auto modifiers = unsignedField(object, "modifiers"_L1);
    const QJsonValue displayText = object.value("displayText"_L1);
    if (!keyCode || !modifiers || !displayText.isString())
        return std::nullopt;
    return HotKeyConfiguration{*keyCode, *modifiers, displayText.toString()};
}

} // namespace stowline
