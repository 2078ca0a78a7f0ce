#pragma once

#include "core/permission/AccessibilityPurpose.h"

#include <QList>

#include <optional>

namespace stowline {

// The accessibility purposes the current settings need, each once and in declaration order.
class PermissionReadinessRequirements {
public:
    explicit PermissionReadinessRequirements(const QList<AccessibilityPurpose>& accessibilityPurposes = {});

    const QList<AccessibilityPurpose>& accessibilityPurposes() const { return m_accessibilityPurposes; }
    bool requiresAccessibility() const { return !m_accessibilityPurposes.isEmpty(); }
    // Identifies this set of requirements across launches, e.g. "accessibility:singleModifierShortcut,instantPaste";
    // nothing when nothing is required.
    std::optional<QString> signature() const;

    friend bool operator==(const PermissionReadinessRequirements&, const PermissionReadinessRequirements&) = default;

private:
    QList<AccessibilityPurpose> m_accessibilityPurposes;
};

} // namespace stowline
