#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

namespace stowline {

// What a second start asks of the running instance.
enum class InstanceCommand {
    show,          // bring the history panel forward
    toggle,        // show the panel, or hide it when it is showing
    settings,      // bring the settings window forward
    quit,          // write pending saves and end
    status,        // report the state of the running instance
    exportHistory, // write the history's export into the file named by the one argument
    importHistory, // merge the export in the file named by the one argument into the history
    list,          // the clips a query selects (`HistoryCommands::queryArguments`), as lines or JSON
    search,        // the same, for a query with words
    copy,          // put the clip the first argument names (`ClipReference`) on the clipboard; "paste" after it also
                   // posts the paste keystroke, "plain" restores plain text only
    pause,         // stop capturing
    resume,        // capture again
    clear,         // delete the clips ("keep-favorites": but the favourites; "yes": even when all would go)
    favorite,      // make the clip the argument names a favourite, or an ordinary clip again
    deleteClip,    // delete the clip the argument names
};

// One request per connection, one line of compact JSON each way:
//   {"version":1,"command":"show","arguments":[],"activationToken":"..."}   (the token only when there is one)
//   {"version":1,"status":0,"output":"..."}
// `status` is the exit status the asking process ends with; `output` is what it prints. Exports and imports
// travel through an owner-only file whose path is the argument, so the line stays short at any history size.
namespace InstanceProtocol {

// `quit`: end even when something could not be saved.
inline const QString anywayArgument = QStringLiteral("anyway");

inline constexpr int version = 1;
// Longer requests are cut off: a caller that sends more is not a Stowline start.
inline constexpr qsizetype maxLineBytes = 64 * 1024;
// A reply may carry a listing of the whole history.
inline constexpr qsizetype maxReplyBytes = 256 * 1024 * 1024;
// The second argument of `copy` that asks for the paste keystroke too.
inline const QString pasteArgument = QStringLiteral("paste");
// An argument of `copy` that restores plain text only.
inline const QString plainArgument = QStringLiteral("plain");

std::optional<InstanceCommand> commandFromName(QStringView name);
QString nameOf(InstanceCommand command);

} // namespace InstanceProtocol

struct InstanceRequest {
    InstanceRequest(InstanceCommand command = InstanceCommand::show, QStringList arguments = {},
                    QString activationToken = {})
        : command(command), arguments(std::move(arguments)), activationToken(std::move(activationToken)) {}

    InstanceCommand command;
    QStringList arguments;
    // The asking process's XDG_ACTIVATION_TOKEN: on Wayland, the compositor's consent that the window the request
    // brings forward may take the focus. Empty when it had none.
    QString activationToken;

    // One line, ending in a newline.
    QByteArray encode() const;
    // Nothing when the line is not a request of this protocol version.
    static std::optional<InstanceRequest> decode(QByteArrayView line);

    friend bool operator==(const InstanceRequest&, const InstanceRequest&) = default;
};

struct InstanceReply {
    int status = 0;
    QString output;

    QByteArray encode() const;
    static std::optional<InstanceReply> decode(QByteArrayView line);

    friend bool operator==(const InstanceReply&, const InstanceReply&) = default;
};

} // namespace stowline
