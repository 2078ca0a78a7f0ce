#pragma once

#include "app/commands/InstanceProtocol.h"
#include "core/support/Result.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <span>

namespace stowline {

// Where a command is answered.
enum class CommandReach {
    // By the running instance; without one, this start becomes the instance first.
    startsInstance,
    // By the running instance only.
    runningInstance,
    // By the running instance, which alone writes the archive while it runs, or on the archive when none runs.
    history,
};

// Everything the command line knows about one command: a new command is one row of the table in
// CommandTable.cpp, and the compiler then points at the handlers that must answer it.
struct CommandDescription {
    InstanceCommand command;
    // The word on the command line and in the protocol.
    const char16_t* name;
    // What follows the name in the usage, such as "N [--paste]"; empty when nothing does.
    const char16_t* synopsis;
    // The usage's description, one line per "\n"-separated piece.
    const char16_t* help;
    // A typical use, shown under the description (after the program's name).
    const char16_t* example;
    CommandReach reach;
    // The options this command accepts besides the ones every start accepts.
    std::array<const char16_t*, 4> options;
    // The request's arguments from the operands and the given options of `options` (an option with a value as
    // "--name=value"); a one-line reason when they make no sense.
    Result<QStringList, QString> (*arguments)(QStringView name, const QStringList& operands,
                                              const QStringList& options);

    QString nameText() const { return QString::fromUtf16(name); }
    // Whether the command accepts the option, given by its name or as "--name=value".
    bool accepts(QStringView option) const;
};

namespace CommandTable {

std::span<const CommandDescription> all();
const CommandDescription& of(InstanceCommand command);
// Nothing for a word that names no command (the match is exact).
const CommandDescription* named(QStringView name);
// Whether some command accepts the option (its name, without a value).
bool isCommandOption(QStringView option);
// Whether the option is followed by a value ("--limit 5" or "--limit=5").
bool takesValue(QStringView option);

} // namespace CommandTable

} // namespace stowline
