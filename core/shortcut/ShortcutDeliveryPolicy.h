#pragma once

namespace stowline::ShortcutDeliveryPolicy {

// A single modifier is too common in ordinary typing for a global grab of its own; such a shortcut is intercepted
// instead, which needs the accessibility permission. None or two to four modifiers need nothing.
constexpr bool requiresAccessibility(int modifierCount) {
    return modifierCount == 1;
}

} // namespace stowline::ShortcutDeliveryPolicy
