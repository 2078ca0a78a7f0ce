#pragma once

#include "app/commands/ClipReport.h"
#include "app/commands/InstanceProtocol.h"
#include "core/history/HistoryEngine.h"
#include "core/support/Result.h"

#include <QString>
#include <QStringList>
#include <QUuid>

namespace stowline {

// The history as a command sees it: the running instance's store, or the archive when none runs.
class CommandHistory {
public:
    virtual ~CommandHistory() = default;
    virtual const HistoryEngine& history() const = 0;
    virtual void toggleFavorite(const QUuid& id) = 0;
    virtual void deleteItem(const QUuid& id) = 0;
    virtual void clear(ClearScope scope) = 0;
};

// The commands that read or change the history, answered the same way by the running instance and, when none
// runs, by the command line on the archive (see CommandOutput::relay for where each answer goes).
namespace HistoryCommands {

// `list` and `search`: the query travels as the arguments of `queryArguments`.
InstanceReply list(const HistoryEngine& history, const QStringList& queryArguments);
InstanceReply favorite(CommandHistory& history, const QString& clip);
InstanceReply remove(CommandHistory& history, const QString& clip);
// Refused unless `confirmed` when every clip would go.
InstanceReply clear(CommandHistory& history, bool keepFavorites, bool confirmed);

// The clip a reference names, or the reply that says why there is none.
Result<ListedClip, InstanceReply> find(const HistoryEngine& history, const QString& clip);

// A query as request arguments, and back; nothing for arguments that are not a query.
QStringList queryArguments(const ClipQuery& query);
std::optional<ClipQuery> queryFrom(const QStringList& arguments);

// The arguments of `clear`.
inline const QString keepFavoritesArgument = QStringLiteral("keep-favorites");
inline const QString confirmedArgument = QStringLiteral("yes");
// `export FILE --force`: an existing FILE may be replaced.
inline const QString replaceArgument = QStringLiteral("force");

} // namespace HistoryCommands

} // namespace stowline
