#include "core/permission/PermissionReadinessPolicy.h"

namespace stowline::PermissionReadinessPolicy {

PermissionReadinessRequirements requirements(bool instantPasteEnabled, bool shortcutRequiresAccessibility) {
    if (!shortcutRequiresAccessibility)
        return PermissionReadinessRequirements();
    QList<AccessibilityPurpose> purposes{AccessibilityPurpose::singleModifierShortcut};
    if (instantPasteEnabled)
        purposes.append(AccessibilityPurpose::instantPaste);
    return PermissionReadinessRequirements(purposes);
}

} // namespace stowline::PermissionReadinessPolicy
