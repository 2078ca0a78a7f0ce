#include "app/commands/HistoryCommands.h"

#include "app/commands/ClipReference.h"

namespace stowline::HistoryCommands {

namespace {

constexpr int failureStatus = 1;
constexpr int usageStatus = 2;

const QString filterOption = QStringLiteral("--filter");
const QString limitOption = QStringLiteral("--limit");
const QString jsonOption = QStringLiteral("--json");
const QString secretsOption = QStringLiteral("--show-secrets");
const QString wordsMarker = QStringLiteral("--");

InstanceReply notUnderstood() {
    return {usageStatus, QStringLiteral("the running Stowline did not understand the request\n")};
}

QString named(const ListedClip& clip, const HistoryEngine& history) {
    return QStringLiteral("clip %1 (%2)")
        .arg(clip.number)
        .arg(ClipReport::shortId(clip.item.id(), ClipReport::idLength(history)));
}

} // namespace

Result<ListedClip, InstanceReply> find(const HistoryEngine& history, const QString& clip) {
    const std::optional<ClipReference> reference = ClipReference::parse(clip);
    if (!reference)
        return fail(InstanceReply{usageStatus, QStringLiteral("\"%1\" names no clip\n").arg(clip)});
    auto found = reference->resolve(history);
    if (!found)
        return fail(InstanceReply{failureStatus, found.error() + u'\n'});
    return *found;
}

InstanceReply list(const HistoryEngine& history, const QStringList& arguments) {
    const std::optional<ClipQuery> query = queryFrom(arguments);
    if (!query)
        return notUnderstood();
    return {0, ClipReport::render(ClipReport::select(history, *query), *query, ClipReport::idLength(history))};
}

InstanceReply favorite(CommandHistory& history, const QString& clip) {
    auto found = find(history.history(), clip);
    if (!found)
        return found.error();
    const QString name = named(*found, history.history());
    history.toggleFavorite(found->item.id());
    return {0, found->item.isFavorite() ? name + QStringLiteral(" is no longer a favourite\n")
                                        : name + QStringLiteral(" is a favourite now\n")};
}

InstanceReply remove(CommandHistory& history, const QString& clip) {
    auto found = find(history.history(), clip);
    if (!found)
        return found.error();
    const QString name = named(*found, history.history());
    history.deleteItem(found->item.id());
    return {0, QStringLiteral("deleted %1\n").arg(name)};
}

InstanceReply clear(CommandHistory& history, bool keepFavorites, bool confirmed) {
    const HistoryEngine& held = history.history();
    qsizetype favorites = 0;
    for (qsizetype i = 0; i < held.size(); ++i)
        favorites += held.at(i).isFavorite() ? 1 : 0;
    const qsizetype kept = keepFavorites ? favorites : 0;
    const qsizetype deleted = held.size() - kept;
    if (deleted == 0)
        return {0, QStringLiteral("nothing to delete\n")};
    if (kept == 0 && !confirmed)
        return {failureStatus,
                QStringLiteral("this deletes all %1 clips; add --yes to go ahead%2\n")
                    .arg(deleted)
                    .arg(keepFavorites ? QString() : QStringLiteral(", or --keep-favorites to keep the favourites"))};
    history.clear(keepFavorites ? ClearScope::keepingFavorites : ClearScope::everything);
    return {0, kept > 0 ? QStringLiteral("deleted %1 clips and kept %2 favourites\n").arg(deleted).arg(kept)
                        : QStringLiteral("deleted %1 clips\n").arg(deleted)};
}

QStringList queryArguments(const ClipQuery& query) {
    QStringList arguments{filterOption, rawValue(query.filter), limitOption, QString::number(query.limit)};
    if (query.json)
        arguments.append(jsonOption);
    if (query.showSecrets)
        arguments.append(secretsOption);
    arguments.append(wordsMarker);
    return arguments + query.words;
}

std::optional<ClipQuery> queryFrom(const QStringList& arguments) {
    ClipQuery query;
    qsizetype i = 0;
    for (; i < arguments.size() && arguments[i] != wordsMarker; ++i) {
        const QString& argument = arguments[i];
        if (argument == jsonOption) {
            query.json = true;
        } else if (argument == secretsOption) {
            query.showSecrets = true;
        } else if (argument == filterOption && i + 1 < arguments.size()) {
            const auto filter = fromRawValue<HistoryFilter>(arguments[++i]);
            if (!filter)
                return std::nullopt;
            query.filter = *filter;
        } else if (argument == limitOption && i + 1 < arguments.size()) {
            bool ok = false;
            query.limit = arguments[++i].toLongLong(&ok);
            if (!ok || query.limit < 0)
                return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    if (i < arguments.size())
        query.words = arguments.mid(i + 1);
    return query;
}

} // namespace stowline::HistoryCommands
