#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace stowline::test {

// A gnome-keyring-daemon of the test's own on the session bus, replacing any other, with its keyrings in a
// temporary folder. Starting it with the password creates or unlocks the login keyring without a prompt.
class KeyringDaemon {
public:
    KeyringDaemon();
    ~KeyringDaemon();

    bool start();
    void stop();
    bool restart();
    // Locks the default collection over D-Bus, as the desktop does on screen lock.
    bool lockDefaultCollection();

private:
    QTemporaryDir m_dataHome;
    QProcess m_process;
};

} // namespace stowline::test
