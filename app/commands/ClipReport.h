#pragma once

#include "core/history/HistoryEngine.h"
#include "core/history/HistoryFilter.h"
#include "core/model/ClipItem.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

namespace stowline {

// Which clips `list` and `search` show, and in which form.
struct ClipQuery {
    // Smart-search words (required, or excluded with a leading "-"); none: every clip.
    QStringList words;
    HistoryFilter filter = HistoryFilter::all;
    // At most this many clips; 0 shows them all.
    qsizetype limit = 0;
    // One JSON object per line for programs instead of lines for people.
    bool json = false;
    // Credentials show their title and preview instead of a concealed title.
    bool showSecrets = false;

    friend bool operator==(const ClipQuery&, const ClipQuery&) = default;
};

// A clip as the command line names it: its place in the history, counted from 1, and its id.
struct ListedClip {
    qsizetype number = 0;
    ClipItem item;
};

// The command line's view of the history, the same whether the running instance or the archive answers.
namespace ClipReport {

// The clips the query selects, in history order (favourites first, then the most recently used).
QList<ListedClip> select(const HistoryEngine& history, const ClipQuery& query);

// How many leading hex digits of an id `list` shows: 8, or more while two clips of the history would share them.
qsizetype idLength(const HistoryEngine& history);
QString shortId(const QUuid& id, qsizetype length);

// The title a clip shows: a credential's own text only when secrets are shown.
QString title(const ClipItem& item, bool showSecrets);

// Lines for people (number, id, kind, title, separated by tabs) or one JSON object per line.
QString render(const QList<ListedClip>& clips, const ClipQuery& query, qsizetype idLength);

} // namespace ClipReport

} // namespace stowline
