#pragma once

#include "app/CommandLine.h"

#include <QTextStream>

namespace stowline {

// Runs `export`, `import` and `list` on the user's own archive, preferences and keyring, for when no instance holds
// the history. Messages go to `errors`, one line each; returns the process exit code.
namespace OfflineCommands {

int run(const CommandLine& commandLine, QTextStream& errors);

} // namespace OfflineCommands

} // namespace stowline
