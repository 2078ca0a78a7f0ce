#pragma once

#include "app/CommandLine.h"

#include <QString>
#include <QTextStream>

#include <optional>

namespace stowline {

// `export` and `import` through the running instance, which is then the only writer of the archive. The
// history travels through an owner-only file beside the instance's socket, never through the socket itself, so
// any size works. Messages go to `errors` as the offline commands write them.
namespace RunningInstanceCommands {

// The exit code; nothing when no instance answers on `socketPath` (the command then runs on its own).
std::optional<int> run(const CommandLine& commandLine, const QString& socketPath, int timeoutMilliseconds,
                       QTextStream& errors);

} // namespace RunningInstanceCommands

} // namespace stowline
