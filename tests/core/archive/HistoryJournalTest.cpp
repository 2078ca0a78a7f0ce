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

TEST(HistoryJournalTest, ATornOrUnauthenticatedLastRecordEndsTheJournalQuietly) {
    std::vector<qsizetype> ends;
    const QByteArray journal = journalOf({u"a"_qs, u"b"_qs, u"c"_qs}, &ends);
    using State = HistoryJournal::Reading::State;

    const auto whole = HistoryJournal::read(journal, archiveNonce, key);
    EXPECT_EQ(whole.state, State::current);
    EXPECT_EQ(whole.changes.size(), 3u);
    EXPECT_EQ(whole.validLength, journal.size());

    // Cut anywhere inside the last record (framing included), or extended by zeros a crash left behind.
    for (const qsizetype length : {ends[1] + 3, ends[1] + 20, journal.size() - 1}) {
        const auto torn = HistoryJournal::read(journal.first(length), archiveNonce, key);
        EXPECT_EQ(torn.state, State::current);
        EXPECT_EQ(torn.changes.size(), 2u);
        EXPECT_EQ(torn.validLength, ends[1]);
    }
    const auto zeros = HistoryJournal::read(journal.first(ends[1]) + QByteArray(300, '\0'), archiveNonce, key);
    EXPECT_EQ(zeros.state, State::current);
    EXPECT_EQ(zeros.changes.size(), 2u);

    QByteArray lastFlipped = journal;
    lastFlipped[journal.size() - 5] = char(lastFlipped[journal.size() - 5] ^ 1);
    const auto last = HistoryJournal::read(lastFlipped, archiveNonce, key);
    EXPECT_EQ(last.state, State::current);
    EXPECT_EQ(last.changes.size(), 2u);
}

TEST(HistoryJournalTest, DamageBeforeTheLastRecordOrAnotherArchiveIsNeverApplied) {
    std::vector<qsizetype> ends;
    const QByteArray journal = journalOf({u"a"_qs, u"b"_qs, u"c"_qs}, &ends);
    using State = HistoryJournal::Reading::State;

    // In a middle record's body and in its length.
    for (const qsizetype at : {ends[0] + 30, ends[0] + 1}) {
        QByteArray flipped = journal;
        flipped[at] = char(flipped[at] ^ 0x10);
        EXPECT_EQ(HistoryJournal::read(flipped, archiveNonce, key).state, State::corrupt);
    }
    // Records swapped or repeated do not authenticate where they now lie.
    const QByteArray header = journal.first(HistoryJournal::headerByteCount);
    const QByteArray first = journal.sliced(header.size(), ends[0] - header.size());
    const QByteArray second = journal.sliced(ends[0], ends[1] - ends[0]);
    EXPECT_EQ(HistoryJournal::read(header + second + first + first, archiveNonce, key).state, State::corrupt);

    EXPECT_EQ(HistoryJournal::read(journal, QByteArray(12, 'o'), key).state, State::stale);
    EXPECT_EQ(HistoryJournal::read(journal.first(10), archiveNonce, key).state, State::stale);
    EXPECT_EQ(HistoryJournal::read(journal, archiveNonce, QByteArray(32, 'x')).state, State::corrupt);
}
