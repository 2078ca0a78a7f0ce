#pragma once

#include "app/instance/ApplicationControl.h"
#include "app/instance/SingleInstance.h"

#include <QString>
#include <QStringList>

namespace stowline {

class AppPreferences;
class ClipboardActions;
class HistoryPersistence;
class HistoryStore;
class Notices;
class ShortcutCoordinator;

// The services the commands of later starts work on.
struct InstanceServices {
    HistoryStore& store;
    HistoryPersistence& persistence;
    const Notices& notices;
    AppPreferences& preferences;
    ClipboardActions& actions;
    const ShortcutCoordinator& shortcuts;
    ApplicationControl& application;
    // key=value lines about the display session, which `status` reports as they are.
    QString sessionReport;
};

// Answers the requests of later starts (the command line's commands) on the running application. Used on the
// GUI thread only.
class InstanceCommands {
public:
    explicit InstanceCommands(const InstanceServices& services) : m_services(services) {}

    void handle(const InstanceRequest& request, const SingleInstance::Responder& respond);

    // Lines of "key=value": pid, panelRequests, panel (the number of clips the panel lists, or "hidden"),
    // panelActive (1 once the shown panel has the keyboard), capture ("on" or "paused"), shortcut, clips,
    // lastError. Scripts read them: keys stay, new ones are added.
    QString statusReport() const;

private:
    InstanceReply exportHistory(const QStringList& arguments);
    InstanceReply importHistory(const QStringList& arguments);
    InstanceReply copyClip(const QStringList& arguments);
    InstanceReply setCapturing(bool capturing, const QStringList& arguments);
    InstanceReply changeHistory(const InstanceRequest& request);
    void quit(const QStringList& arguments, const SingleInstance::Responder& respond);

    InstanceServices m_services;
};

} // namespace stowline
