#include "core/archive/HistoryJournal.h"

#include "core/history/HistoryEngine.h"
#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

#include <random>

using namespace stowline;

namespace {

const QByteArray key(32, 'k');
const QByteArray archiveNonce(12, 'n');

JournalChange roundTrip(const JournalChange& change) {
    auto decoded = JournalChange::decode(change.encode());
    EXPECT_TRUE(decoded.ok());
    return decoded.ok() ? std::move(decoded).value() : JournalChange{};
}

// A journal of one change per text, each adding that text on top of the last.
QByteArray journalOf(const QStringList& texts, std::vector<qsizetype>* recordEnds = nullptr) {
    const QByteArray header = HistoryJournal::header(archiveNonce);
    QByteArray journal = header;
    HistoryEngine history;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        HistoryEngine before = history;
        history.ingest(test::textClip(texts[i], Timestamp{double(1000 + i)}), 0);
        const auto change = JournalChange::between(before, history);
        journal += *HistoryJournal::sealRecord(change->encode(), key, header, quint64(i));
        if (recordEnds)
            recordEnds->push_back(journal.size());
    }
    return journal;
}

} // namespace

TEST(HistoryJournalTest, ReplayingEveryChangeRebuildsTheHistoryThatWroteIt) {
    std::mt19937 random(20261207);
    const auto pick = [&](int bound) { return int(random() % unsigned(bound)); };
    HistoryEngine history;
    JournalReplay replay({});
    double clock = 1000;
    qsizetype slimArrivals = 0;
    for (int step = 0; step < 600; ++step) {
        const HistoryEngine before = history;
        const auto anyId = [&] { return history.at(pick(int(history.size()))).id(); };
        const int operation = history.isEmpty() ? 0 : pick(10);
        clock += pick(3); // equal times happen and must keep their order
        switch (operation) {
        case 0:
        case 1:
            history.ingest(test::textClip(QString::number(pick(80)), Timestamp{clock}), pick(4) == 0 ? 40 : 0);
            break;
        case 2:
            history.ingest(test::imageClip(QByteArray(2000, char(pick(20))), Timestamp{clock}), 0);
            break;
        case 3:
            history.markUsed(anyId(), Timestamp{clock});
            break;
        case 4:
        case 5:
            history.toggleFavorite(anyId());
            break;
        case 6:
            history.deleteItem(anyId());
            break;
        case 7: {
            const ClipItem& item = history.at(pick(int(history.size())));
            history.applyRecognizedText(item.id(), item.contentHash(), QString::number(step), 1);
            break;
        }
        case 8:
            history.removeExpired(Timestamp{clock - 40});
            break;
        default:
            if (pick(6) == 0)
                history.clear(pick(2) == 0 ? ClearScope::keepingFavorites : ClearScope::everything);
            break;
        }
        const auto change = JournalChange::between(before, history);
        ASSERT_TRUE(change);
        for (const auto& arrival : change->arrivals)
            slimArrivals += arrival.contentFrom ? 1 : 0;
        ASSERT_TRUE(replay.apply(roundTrip(*change))) << "step " << step;
        ASSERT_EQ(replay.size(), history.size());
    }
    EXPECT_GT(slimArrivals, 0);
    EXPECT_EQ(replay.takeItems(), history.items());
}

TEST(HistoryJournalTest, PinningAnImageStoresItsFieldsNotItsContent) {
    HistoryEngine history({test::imageClip(QByteArray(100'000, 'p')), test::textClip(u"t"_qs)});
    const HistoryEngine before = history;
    history.toggleFavorite(history.at(1).id());
    const auto change = JournalChange::between(before, history);
    ASSERT_TRUE(change);
    EXPECT_LT(change->encode().size(), 2000);

    // A change that does not fit the history it is applied to changes nothing.
    JournalReplay other(QList<ClipItem>{test::textClip(u"x"_qs)});
    EXPECT_FALSE(other.apply(*change));
    EXPECT_EQ(other.size(), 1);
}

namespace {

QByteArray withLength(QByteArray journal, qsizetype recordStart, quint32 length) {
    for (int i = 0; i < 4; ++i) {
        journal[recordStart + i] = char((length >> (8 * i)) & 0xff);
        journal[recordStart + 4 + i] = char((~length >> (8 * i)) & 0xff);
    }
    return journal;
}

QByteArray flipped(QByteArray bytes, qsizetype at) {
    bytes[at] = char(bytes[at] ^ 0x10);
    return bytes;
}

} // namespace

TEST(HistoryJournalTest, OnlyWhatACrashLeavesEndsTheJournalQuietlyEverythingElseIsDamage) {
    std::vector<qsizetype> ends;
    const QByteArray journal = journalOf({u"a"_qs, u"b"_qs, u"c"_qs}, &ends);
    const QByteArray header = journal.first(HistoryJournal::headerByteCount);
    const QByteArray first = journal.sliced(header.size(), ends[0] - header.size());
    const QByteArray second = journal.sliced(ends[0], ends[1] - ends[0]);
    const QByteArray newNonce(12, 'w');
    const QByteArray foldedAway = journal + *HistoryJournal::sealFold(newNonce, key, header, 3);
    using State = HistoryJournal::Reading::State;
    struct Case {
        const char* what;
        QByteArray bytes;
        State state;
        size_t changes;
        qint64 unreadable;
        QByteArray nonce = archiveNonce;
    };
    const qsizetype huge = 1 << 20;
    const Case cases[] = {
        {"whole", journal, State::current, 3, 0},
        // Torn ends: a last record cut anywhere (framing included), zeros where the file grew, the fold record of
        // a rewrite that never took place, and a last length that runs past the end with nothing behind it.
        {"cut in framing", journal.first(ends[1] + 3), State::current, 2, 0},
        {"cut in body", journal.first(ends[1] + 20), State::current, 2, 0},
        {"cut before tag end", journal.first(journal.size() - 1), State::current, 2, 0},
        {"zeros", journal.first(ends[1]) + QByteArray(300, '\0'), State::current, 2, 0},
        {"unfinished rewrite", foldedAway, State::current, 3, 0},
        {"last length past end", withLength(journal, ends[1], huge), State::current, 2, 0},
        // Damage: what lies past the records that authenticate is kept, and counted.
        {"whole last record flipped", flipped(journal, journal.size() - 5), State::damaged, 2, 1},
        {"garbage appended", journal + QByteArray(100, 'g'), State::damaged, 3, 1},
        {"last length flipped", flipped(journal, ends[1] + 1), State::damaged, 2, 1},
        {"middle record flipped", flipped(journal, ends[0] + 30), State::damaged, 1, 2},
        {"middle length past end", withLength(journal, ends[0], huge), State::damaged, 1, 1},
        {"swapped and repeated", header + second + first + first, State::damaged, 0, 3},
        {"header flipped", flipped(journal, 14), State::damaged, 0, 3},
        {"magic flipped", flipped(journal, 2), State::damaged, 0, 3},
        {"another archive's", journal, State::damaged, 0, 3, QByteArray(12, 'o')},
        {"shorter than a header", journal.first(10), State::damaged, 0, 1},
        // Folded into the archive that now lies beside it: only its removal was missed.
        {"folded into this archive", foldedAway, State::superseded, 0, 0, newNonce},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto reading = HistoryJournal::read(c.bytes, c.nonce, key);
        EXPECT_EQ(reading.state, c.state);
        EXPECT_EQ(reading.changes.size(), c.changes);
        EXPECT_EQ(reading.unreadableRecords, c.unreadable);
        if (c.state == State::current) {
            EXPECT_EQ(reading.validLength, c.changes == 3 ? journal.size() : ends[1]);
        }
    }
    EXPECT_EQ(HistoryJournal::read(journal, archiveNonce, QByteArray(32, 'x')).state, State::damaged);
}

TEST(HistoryJournalTest, AChangeKeepsTheTimeItWasSaved) {
    JournalChange change;
    change.countBefore = 2;
    change.savedAt = Timestamp{812345678.5};
    EXPECT_EQ(roundTrip(change).savedAt, change.savedAt);
    EXPECT_FALSE(roundTrip(JournalChange{}).savedAt);
}
