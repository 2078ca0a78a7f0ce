#pragma once

#include "app/platform/LoginItem.h"

#include <QByteArray>

#include <optional>

namespace stowline {

// An XDG autostart entry, $XDG_CONFIG_HOME/autostart/<application identifier>.desktop, mode 0644, replaced
// atomically.
class XdgAutostartEntry : public LoginItem {
public:
    static QString defaultConfigHome();

    explicit XdgAutostartEntry(const QString& configHome = defaultConfigHome());

    QString location() const override;
    bool exists() const override;
    Status<LoginItemError> install(const QStringList& programArguments) override;
    Status<LoginItemError> remove() override;

    // The Exec= value for these arguments, quoted and escaped by the Desktop Entry rules; nothing when an
    // argument holds a control character that a desktop file cannot carry.
    static std::optional<QString> execValue(const QStringList& arguments);
    // What Exec= runs for these program arguments: the arguments themselves, or a shell that runs them when a
    // launcher could not find the program by its path.
    static QStringList launchedArguments(const QStringList& programArguments);

private:
    QString m_configHome;
};

} // namespace stowline
