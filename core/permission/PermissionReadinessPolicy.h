#pragma once

#include "core/permission/PermissionReadinessRequirements.h"

namespace stowline::PermissionReadinessPolicy {

// Only a one-modifier shortcut makes the permission necessary; instant paste alone simply does not paste
// without it, so it is listed only alongside such a shortcut.
PermissionReadinessRequirements requirements(bool instantPasteEnabled, bool shortcutRequiresAccessibility);

} // namespace stowline::PermissionReadinessPolicy
