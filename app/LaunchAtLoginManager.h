#pragma once

#include "app/platform/LoginItem.h"

namespace stowline {

// Keeps the login entry in step with the launch-at-login choice. The entry is rewritten on every enable, so a
// moved executable is picked up at the next start.
class LaunchAtLoginManager {
public:
    // This process's executable, or its first argument when Qt cannot tell.
    static QString currentExecutablePath();

    explicit LaunchAtLoginManager(LoginItem& item, const QString& executablePath = currentExecutablePath());

    QString fileLocation() const { return m_item.location(); }
    bool isInstalled() const { return m_item.exists(); }

    // True writes the entry, false removes it; failures come back unchanged.
    [[nodiscard]] Status<LoginItemError> setEnabled(bool enabled);

private:
    LoginItem& m_item;
    QString m_executablePath;
};

} // namespace stowline
