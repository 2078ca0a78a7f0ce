#pragma once

#include "app/commands/CommandTable.h"
#include "app/commands/InstanceProtocol.h"
#include "core/support/Result.h"

#include <QString>
#include <QStringList>

namespace stowline {

// What the user asked for on the command line.
struct CommandLine {
    enum class Mode { start, help, version, command };

    Mode mode = Mode::start;
    bool background = false;
    // For `Mode::command`: the command with its checked arguments, as the running instance receives it. A file
    // argument is the user's own path; export and import exchange their data through files of their own.
    InstanceRequest request;

    // A one-line reason, without the program name, when the arguments make no sense.
    static Result<CommandLine, QString> parse(const QStringList& arguments);
    static QString usage();

    // The command's row; only for `Mode::command`.
    const CommandDescription& command() const { return CommandTable::of(request.command); }
    // What is sent to an instance that already runs: a plain start shows its panel, a background start only
    // checks that it answers.
    InstanceRequest requestForInstance() const;
    // Whether this process becomes the instance when none runs yet.
    bool startsApplication() const;
};

} // namespace stowline
