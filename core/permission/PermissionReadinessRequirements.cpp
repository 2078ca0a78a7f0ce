#include "core/permission/PermissionReadinessRequirements.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace stowline {

PermissionReadinessRequirements::PermissionReadinessRequirements(
    const QList<AccessibilityPurpose>& accessibilityPurposes) {
    for (AccessibilityPurpose purpose : allCases<AccessibilityPurpose>()) {
        if (accessibilityPurposes.contains(purpose))
            m_accessibilityPurposes.append(purpose);
    }
}

std::optional<QString> PermissionReadinessRequirements::signature() const {
    if (m_accessibilityPurposes.isEmpty())
        return std::nullopt;
    QStringList raw;
    for (AccessibilityPurpose purpose : m_accessibilityPurposes)
        raw.append(rawValue(purpose));
    return u"accessibility:"_s + raw.join(u',');
}

} // namespace stowline
