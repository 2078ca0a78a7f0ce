#pragma once

#include "app/cli/CommandLine.h"
#include "app/cli/CommandOutput.h"
#include "app/cli/OfflineCommands.h"

#include <QString>

#include <functional>
#include <optional>

namespace stowline {

// The asking side of a command: hands it to the running instance or, for a history command when none runs,
// runs it on the archive. Returns the exit code.
namespace CommandClient {

// Long enough for a `quit` or an import that writes a large history first.
inline constexpr int requestTimeoutMilliseconds = 30'000;

// `offline` is asked for the user's services only when the command runs without an instance.
int run(const CommandLine& commandLine, const QString& socketPath, CommandOutput& output,
        const std::function<OfflineEnvironment()>& offline);

// The instance's answer, printed; nothing when no instance runs.
std::optional<int> forward(const InstanceRequest& request, const QString& socketPath, CommandOutput& output);

// A start (or `show`, `toggle`) that finds an instance running: a plain start shows its panel, a background start
// only says that it runs. Nothing when none runs and this start should become the instance.
std::optional<int> handOverStart(const CommandLine& commandLine, const QString& socketPath, CommandOutput& output);

} // namespace CommandClient

} // namespace stowline
