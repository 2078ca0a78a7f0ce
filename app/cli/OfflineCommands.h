#pragma once

#include "app/cli/CommandLine.h"
#include "app/cli/CommandOutput.h"

#include <QString>

namespace stowline {

class SecretStore;

// The user's files and keyring, for a command that runs without an instance.
struct OfflineEnvironment {
    SecretStore& secrets;
    QString preferencesFile;
    QString archiveDirectory;
};

// Runs the history commands (`list`, `search`, `clear`, `favorite`, `delete`, `export`, `import`) on the user's own
// archive when no instance holds the history. The
// preferences are only read: the settings file stays as it is. Returns the exit code.
namespace OfflineCommands {

int run(const CommandLine& commandLine, const OfflineEnvironment& environment, CommandOutput& output);

} // namespace OfflineCommands

} // namespace stowline
