#pragma once

#include "core/model/EnumTraits.h"

namespace stowline {

// The panes of the settings window; the preferences remember the last one shown by its raw value.
enum class SettingsPane { general, history, privacy, shortcuts };

template <>
struct EnumTraits<SettingsPane> {
    static constexpr std::array cases{SettingsPane::general, SettingsPane::history, SettingsPane::privacy,
                                      SettingsPane::shortcuts};
    static constexpr std::array<const char16_t*, 4> rawValues{u"general", u"history", u"privacy", u"shortcuts"};
    static constexpr std::array<const char16_t*, 4> labels{u"General", u"History", u"Privacy", u"Shortcuts"};
};

inline QString rawValue(SettingsPane pane) {
    return rawValueOf(pane);
}
inline QString title(SettingsPane pane) {
    return labelOf(pane);
}

} // namespace stowline
