#pragma once

#include "app/commands/InstanceProtocol.h"
#include "core/support/Result.h"

#include <QString>
#include <QtGlobal>

namespace stowline {

// Why a request could not reach the running instance or got no usable answer.
enum class InstanceClientError {
    notRunning,     // nobody listens on the socket
    timedOut,       // the instance did not answer in time
    malformedReply, // the answer was not a reply of this protocol
    failed,         // the connection broke
    otherUser,      // the socket is served by a process of another user
};

// One sentence for the user.
QString describe(InstanceClientError error);

// The asking side of the running instance's socket: later starts and the instance's own check for another one.
namespace InstanceClient {

// $XDG_RUNTIME_DIR/org.stowline.Stowline.socket when that folder is private to this user; otherwise the socket
// goes into a folder of the temporary folder that Stowline makes private to this user (org.stowline.Stowline-UID).
// A message for the user when that folder exists and is not this user's own private folder: another user could
// answer in Stowline's place.
Result<QString, QString> defaultSocketPath();
// Whether `path` is a folder (not a link) owned by this user that no one else may enter.
bool isPrivateFolder(const QString& path);
// Whether the process at the other end of a connected local socket runs as this user.
bool peerIsThisUser(qintptr descriptor);

// One request, waiting at most `timeoutMilliseconds` for the whole exchange.
Result<InstanceReply, InstanceClientError> send(const QString& socketPath, const InstanceRequest& request,
                                                int timeoutMilliseconds);

} // namespace InstanceClient

} // namespace stowline
