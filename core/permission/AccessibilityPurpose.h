#pragma once

#include "core/model/EnumTraits.h"

namespace stowline {

// Why the accessibility permission is needed; the case order is the order the reasons are listed in.
enum class AccessibilityPurpose { singleModifierShortcut, instantPaste };

template <>
struct EnumTraits<AccessibilityPurpose> {
    static constexpr std::array cases{AccessibilityPurpose::singleModifierShortcut, AccessibilityPurpose::instantPaste};
    static constexpr std::array<const char16_t*, 2> rawValues{u"singleModifierShortcut", u"instantPaste"};
    static constexpr std::array<const char16_t*, 2> labels{u"Recognize your one-modifier global shortcut in every app.",
                                                           u"Paste a selected clip into the app you were using."};
};

inline QString rawValue(AccessibilityPurpose purpose) {
    return rawValueOf(purpose);
}
// The reason line the permission window shows.
inline QString reasonLine(AccessibilityPurpose purpose) {
    return labelOf(purpose);
}

} // namespace stowline
