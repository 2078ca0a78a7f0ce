#pragma once

#include "app/instance/InstanceProtocol.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace stowline {

// What the user asked for on the command line.
struct CommandLine {
    enum class Action { start, help, version, show, toggle, quit, status, exportHistory, importHistory, list, copy };

    Action action = Action::start;
    bool background = false;
    // The export's destination (empty: standard output) or the file to import.
    QString file;
    // `copy`: the clip's position in `list`, counted from 1, and whether the paste keystroke follows.
    qsizetype clipNumber = 0;
    bool paste = false;

    // Nothing, with a one-line message in `error`, when the arguments make no sense.
    static std::optional<CommandLine> parse(const QStringList& arguments, QString* error);
    static QString usage();

    // What is sent to an instance that already runs: a plain start shows its panel, a background start only
    // checks that it answers. Only for the start and the commands of the running instance.
    InstanceRequest request() const;
    // Whether this process becomes the instance when none runs yet; the other commands need one running.
    bool startsApplication() const;
    // Whether the action is one the running instance answers.
    bool isInstanceCommand() const;
    // Whether the action reads or changes the history, through the running instance or, without one, the archive.
    bool isHistoryCommand() const;
};

} // namespace stowline
