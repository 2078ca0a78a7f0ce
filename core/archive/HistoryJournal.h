#pragma once

#include "core/archive/StowlineCipherError.h"
#include "core/model/ClipItem.h"
#include "core/support/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>
#include <vector>

namespace stowline {

class HistoryEngine;

// One save's worth of change between two states of the history, by position: the entries that left (ranges of
// positions in the earlier list) and the entries that arrived (positions in the later list). Entries that stay
// keep their relative order in every history change, so this is enough to rebuild the later list exactly. An
// arriving entry that only changed fields of one that left refers to it, so using or pinning an image does not
// store the image again.
struct JournalChange {
    struct Arrival {
        qint64 position = 0;
        // The earlier position whose captured content (representations, thumbnail) this entry keeps; the
        // `item` then carries none of its own.
        std::optional<qint64> contentFrom;
        ClipItem item;
    };

    qint64 countBefore = 0;
    // Pairs of (first position, count), ascending and disjoint.
    std::vector<std::pair<qint64, qint64>> departures;
    // Ascending positions.
    std::vector<Arrival> arrivals;

    qint64 countAfter() const;
    bool isEmpty() const { return departures.empty() && arrivals.empty(); }

    // None when the two histories cannot be related by position (an entry time that does not order); the
    // caller then writes the whole history instead.
    static std::optional<JournalChange> between(const HistoryEngine& before, const HistoryEngine& after);

    QByteArray encode() const;
    static Result<JournalChange, JsonDecodeError> decode(QByteArrayView json);
};

// Rebuilds a history from the archive's entries and the journal's changes, in order. Entries are kept once in a
// pool and the order as indices, so a change costs a pass over small integers instead of over the entries.
class JournalReplay {
public:
    explicit JournalReplay(QList<ClipItem> items);

    // False when the change does not fit the history as it stands (nothing is applied then).
    bool apply(const JournalChange& change);
    qsizetype size() const { return qsizetype(m_order.size()); }
    QList<ClipItem> takeItems();

private:
    std::vector<ClipItem> m_pool;
    std::vector<quint32> m_order;
};

// The journal file beside an archive: a header naming the archive it extends (that archive's nonce), then
// records of one change each, appended and flushed per save:
//   header: "StwlJnl1" (8 bytes) ‖ archive nonce (12 bytes)
//   record: length L (4 bytes, little-endian) ‖ ~L (4 bytes) ‖ nonce (12) ‖ ciphertext ‖ tag (16)
// Each record is the JSON of one `JournalChange`, sealed with the archive key (AES-256-GCM, its own random
// nonce) and the header plus the record's sequence number (8 bytes, little-endian) as additional data, so a
// record cannot be replayed against another archive, moved or repeated.
namespace HistoryJournal {

constexpr qsizetype magicByteCount = 8;
constexpr qsizetype headerByteCount = magicByteCount + 12;
constexpr qsizetype framingByteCount = 8;

QByteArray header(QByteArrayView archiveNonce);

// Record `sequence` (counted from 0) of the journal that starts with `header`, framed and ready to append.
Result<QByteArray, StowlineCipherError> sealRecord(QByteArrayView plain, QByteArrayView keyData, QByteArrayView header,
                                                   quint64 sequence);

struct Reading {
    enum class State {
        // Every record that was complete has been read; an incomplete or unauthenticated last one was dropped.
        current,
        // The journal belongs to another archive (or to none): it must not be applied.
        stale,
        // A record other than the last does not authenticate or decode: the history cannot be trusted.
        corrupt,
    };

    State state = State::current;
    std::vector<JournalChange> changes;
    // Bytes up to the end of the last good record; what lies past it is a torn write to be cut off.
    qint64 validLength = 0;
    StowlineCipherError error;
};

Reading read(QByteArrayView journal, QByteArrayView archiveNonce, QByteArrayView keyData);

} // namespace HistoryJournal

} // namespace stowline
