#pragma once

#include "core/archive/StowlineCipherError.h"
#include "core/model/ClipItem.h"
#include "core/model/Timestamp.h"
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
    // When the change was saved; absent in records of older versions.
    std::optional<Timestamp> savedAt;
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
// record cannot be replayed against another archive, moved or repeated, and the first record authenticates the
// header. Before the archive is rewritten, a fold record naming the new archive's nonce is appended: a journal
// whose archive was replaced but which a crash kept from being removed is then known to be in that archive.
//
// Where a crash ends and damage begins: the writer appends one record at a time and flushes it before the next,
// so a crash can leave only a last record cut short, zeros where the file grew but its data never arrived, or a
// fold record for a rewrite that never took place. That is a torn end and is cut off. Anything else after the
// records that authenticate is damage: a whole last record that does not authenticate, bytes that frame no
// record, or a length that runs past the end of the file while a later record authenticates (a damaged length
// hiding the records behind it). A length that runs past the end with nothing after it that authenticates is
// taken for a cut record: it is the one place where damage can pass for a crash, and it costs at most that
// record.
namespace HistoryJournal {

constexpr qsizetype magicByteCount = 8;
constexpr qsizetype headerByteCount = magicByteCount + 12;
constexpr qsizetype framingByteCount = 8;

QByteArray header(QByteArrayView archiveNonce);

// Record `sequence` (counted from 0) of the journal that starts with `header`, framed and ready to append.
Result<QByteArray, StowlineCipherError> sealRecord(QByteArrayView plain, QByteArrayView keyData, QByteArrayView header,
                                                   quint64 sequence);
// The record that says the journal's changes are in the archive sealed with `newArchiveNonce`.
Result<QByteArray, StowlineCipherError> sealFold(QByteArrayView newArchiveNonce, QByteArrayView keyData,
                                                 QByteArrayView header, quint64 sequence);

struct Reading {
    enum class State {
        // Every record authenticated and decoded; at most a torn end followed them.
        current,
        // The journal was folded into this archive; only its removal was missed. Nothing in it is needed.
        superseded,
        // The records in `changes` authenticated; what follows them is damage, or the header does not name this
        // archive (then `changes` is empty). The journal must be kept.
        damaged,
    };

    State state = State::current;
    // The records that authenticated and decoded, in order, with the offset where each ends.
    std::vector<JournalChange> changes;
    std::vector<qint64> changeEnds;
    // Bytes up to the end of the last record in `changes` (the header included); 0 when the header is not this
    // archive's. A torn end past it is cut off by the next append.
    qint64 validLength = 0;
    // When damaged: how many records (or stretches that framed none) follow `changes`; at least 1.
    qint64 unreadableRecords = 0;
};

Reading read(QByteArrayView journal, QByteArrayView archiveNonce, QByteArrayView keyData);
// How many records follow `offset`, by their framing; a stretch that frames none counts as one.
qint64 recordsFrom(QByteArrayView journal, qint64 offset);

} // namespace HistoryJournal

} // namespace stowline
