#pragma once

#include "core/model/EnumTraits.h"

#include <optional>

namespace stowline {

// The user's light/dark choice for the application's own windows.
enum class AppearancePreference { system, light, dark };

template <>
struct EnumTraits<AppearancePreference> {
    static constexpr std::array cases{AppearancePreference::system, AppearancePreference::light,
                                      AppearancePreference::dark};
    static constexpr std::array<const char16_t*, 3> rawValues{u"system", u"light", u"dark"};
    static constexpr std::array<const char16_t*, 3> labels{u"System", u"Light", u"Dark"};
};

inline QString rawValue(AppearancePreference appearance) {
    return rawValueOf(appearance);
}
inline QString displayName(AppearancePreference appearance) {
    return labelOf(appearance);
}

// Never fails: anything but exactly "light" or "dark", including nothing at all, follows the system.
AppearancePreference appearanceFromStoredValue(const std::optional<QString>& stored);

} // namespace stowline
