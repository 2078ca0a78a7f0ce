#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace stowline {

// What the user asked for on the command line.
struct CommandLine {
    enum class Action { start, help, version, exportHistory, importHistory };

    Action action = Action::start;
    bool background = false;
    // The export's destination (empty: standard output) or the file to import.
    QString file;

    // Nothing, with a one-line message in `error`, when the arguments make no sense.
    static std::optional<CommandLine> parse(const QStringList& arguments, QString* error);
    static QString usage();
};

} // namespace stowline
