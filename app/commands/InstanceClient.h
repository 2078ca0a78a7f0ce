#pragma once

#include "app/commands/InstanceProtocol.h"
#include "core/support/Result.h"

#include <QString>

namespace stowline {

// Why a request could not reach the running instance or got no usable answer.
enum class InstanceClientError {
    notRunning,     // nobody listens on the socket
    timedOut,       // the instance did not answer in time
    malformedReply, // the answer was not a reply of this protocol
    failed,         // the connection broke
};

// One sentence for the user.
QString describe(InstanceClientError error);

// The asking side of the running instance's socket: later starts and the instance's own check for another one.
namespace InstanceClient {

// $XDG_RUNTIME_DIR/org.stowline.Stowline.socket; without a runtime folder, one in the temporary folder named
// with the user id, so sessions of different users never meet.
QString defaultSocketPath();

// One request, waiting at most `timeoutMilliseconds` for the whole exchange.
Result<InstanceReply, InstanceClientError> send(const QString& socketPath, const InstanceRequest& request,
                                                int timeoutMilliseconds);

} // namespace InstanceClient

} // namespace stowline
