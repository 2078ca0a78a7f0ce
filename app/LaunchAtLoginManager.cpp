#include "app/LaunchAtLoginManager.h"

#include "core/policy/LoginStartupPolicy.h"

#include <QCoreApplication>

namespace stowline {

QString LaunchAtLoginManager::currentExecutablePath() {
    const QString path = QCoreApplication::applicationFilePath();
    if (!path.isEmpty())
        return path;
    const QStringList arguments = QCoreApplication::arguments();
    return arguments.isEmpty() ? QString() : arguments.first();
}

LaunchAtLoginManager::LaunchAtLoginManager(LoginItem& item, const QString& executablePath)
    : m_item(item), m_executablePath(executablePath) {}

Status<LoginItemError> LaunchAtLoginManager::setEnabled(bool enabled) {
    if (enabled)
        return m_item.install(LoginStartupPolicy::programArguments(m_executablePath));
    return m_item.remove();
}

} // namespace stowline
