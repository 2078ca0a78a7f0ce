#include "core/history/HistoryEngine.h"

#include "core/search/SmartSearch.h"
#include "tests/support/ClipBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

// The history rules written as plainly as possible: every change re-sorts the whole list.
class ReferenceHistory {
public:
    QList<ClipItem> items;

    void sort() {
        std::stable_sort(items.begin(), items.end(), [](const ClipItem& a, const ClipItem& b) {
            if (a.isFavorite() != b.isFavorite())
                return a.isFavorite();
            return a.lastUsedAt() > b.lastUsedAt();
        });
    }

    qsizetype find(const QUuid& id) const {
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (items[i].id() == id)
                return i;
        }
        return -1;
    }

    QUuid ingest(const ClipItem& item, qint64 limit) {
        QUuid id = item.id();
        qsizetype existing = -1;
        for (qsizetype i = 0; i < items.size() && existing < 0; ++i) {
            if (items[i].contentHash() == item.contentHash())
                existing = i;
        }
        if (existing >= 0) {
            ClipItem merged = items.takeAt(existing);
            merged.setLastUsedAt(item.lastUsedAt());
            if (item.credentialClassification() && item.credentialClassification()->detectorVersion == 1)
                merged.setCredentialClassification(item.credentialClassification());
            if (item.textFormatVersion() == 1) {
                merged.setTextFormat(item.textFormat());
                merged.setTextFormatVersion(1);
            }
            id = merged.id();
            items.append(merged);
        } else {
            items.append(item);
        }
        sort();
        if (limit >= 1) {
            QList<ClipItem> favorites;
            QList<ClipItem> others;
            for (const ClipItem& entry : items)
                (entry.isFavorite() ? favorites : others).append(entry);
            items = favorites + others.mid(0, std::max<qint64>(0, limit - favorites.size()));
            sort();
        }
        return id;
    }

    void markUsed(const QUuid& id, Timestamp at) {
        if (const qsizetype i = find(id); i >= 0) {
            items[i].setLastUsedAt(at);
            sort();
        }
    }

    void toggleFavorite(const QUuid& id) {
        if (const qsizetype i = find(id); i >= 0) {
            items[i].setIsFavorite(!items[i].isFavorite());
            sort();
        }
    }

    void remove(const QUuid& id) {
        items.removeIf([&](const ClipItem& item) { return item.id() == id; });
    }

    void clear(bool keepingFavorites) {
        items.removeIf([&](const ClipItem& item) { return !keepingFavorites || !item.isFavorite(); });
    }

    void removeExpired(Timestamp cutoff) {
        items.removeIf([&](const ClipItem& item) { return !item.isFavorite() && item.lastUsedAt() < cutoff; });
    }

    void applyRecognizedText(const QUuid& id, const QString& hash, const std::optional<QString>& text, qint64 v) {
        const qsizetype i = find(id);
        if (i < 0 || items[i].kind() != ClipKind::image || items[i].contentHash() != hash)
            return;
        items[i].setRecognizedText(text);
        items[i].setTextRecognitionVersion(v);
    }
};

ClipItem randomClip(std::mt19937& random, int serial) {
    static const QString words[] = {u"alpha"_s, u"Beta"_s, u"caf\u00E9"_s, u"\u4E2D\u6587"_s,
                                    u"\uFF24\uFF45\uFF4C\uFF54\uFF41"_s};
    // A small pool of contents so re-captures happen often.
    const QString content = words[random() % 5] + u" "_s + QString::number(random() % 12);
    const Timestamp at{double(random() % 20)};
    ClipItem item;
    if (random() % 4 == 0) {
        const ClipRepresentations representations{{0, TypeIdentifier::png, content.toUtf8()}};
        item = ClipItem({.id = QUuid::createUuid(),
                         .createdAt = at,
                         .kind = ClipKind::image,
                         .isFavorite = random() % 5 == 0,
                         .title = u"Image "_s + QString::number(serial),
                         .contentHash = u"img:"_s + content,
                         .byteCount = 1,
                         .representations = representations});
    } else {
        item = test::textClip(content, at);
        item.setIsFavorite(random() % 5 == 0);
    }
    if (random() % 3 == 0)
        item.setCredentialClassification(CredentialClassification{qint64(random() % 3), random() % 2 == 0});
    if (random() % 3 == 0) {
        item.setTextFormat(random() % 2 ? std::optional(TextContentFormat::python) : std::nullopt);
        item.setTextFormatVersion(qint64(random() % 3));
    }
    return item;
}

} // namespace

// Random operations applied to the engine and to the plain rules must leave identical histories.
TEST(HistoryEngine, RandomOperationsMatchPlainRules) {
    std::mt19937 random(7);
    for (int run = 0; run < 20; ++run) {
        SCOPED_TRACE(run);
        QList<ClipItem> initial;
        for (int i = 0; i < int(random() % 15); ++i)
            initial.append(randomClip(random, i));
        HistoryEngine engine(initial);
        ReferenceHistory reference{initial};
        reference.sort();
        ASSERT_EQ(engine.items(), reference.items);

        for (int step = 0; step < 200; ++step) {
            SCOPED_TRACE(step);
            const auto anyId = [&] {
                return reference.items.isEmpty() || random() % 8 == 0
                           ? QUuid::createUuid()
                           : reference.items[qsizetype(random() % size_t(reference.items.size()))].id();
            };
            const QList<ClipItem> before = reference.items;
            // Whether the history changed, as the engine reports it; an ingest always counts as a change.
            std::optional<bool> changed;
            switch (random() % 9) {
            case 0:
            case 1:
            case 2: {
                const ClipItem item = randomClip(random, step);
                const qint64 limit = qint64(random() % 10) - 2;
                EXPECT_EQ(engine.ingest(item, limit), reference.ingest(item, limit));
                break;
            }
            case 3: {
                const QUuid id = anyId();
                const Timestamp at{double(random() % 22)};
                changed = engine.markUsed(id, at);
                reference.markUsed(id, at);
                break;
            }
            case 4: {
                const QUuid id = anyId();
                changed = engine.toggleFavorite(id);
                reference.toggleFavorite(id);
                break;
            }
            case 5: {
                const QUuid id = anyId();
                changed = engine.deleteItem(id);
                reference.remove(id);
                break;
            }
            case 6: {
                const bool keep = random() % 4 != 0;
                changed = engine.clear(keep ? ClearScope::keepingFavorites : ClearScope::everything);
                reference.clear(keep);
                break;
            }
            case 7: {
                const Timestamp cutoff{double(random() % 20)};
                changed = engine.removeExpired(cutoff);
                reference.removeExpired(cutoff);
                break;
            }
            case 8: {
                const QUuid id = anyId();
                const ClipItem* target = engine.item(id);
                const QString hash = target && random() % 4 ? target->contentHash() : u"other"_s;
                const std::optional<QString> text =
                    random() % 3 ? std::optional(u"scan "_s + QString::number(random() % 3)) : std::nullopt;
                const qint64 version = qint64(random() % 2);
                changed = engine.applyRecognizedText(id, hash, text, version);
                reference.applyRecognizedText(id, hash, text, version);
                break;
            }
            }
            ASSERT_EQ(engine.items(), reference.items);
            if (changed) {
                EXPECT_EQ(*changed, before != reference.items);
            }
            for (const ClipItem& item : reference.items) {
                EXPECT_EQ(engine.item(item.id())->id(), item.id());
                const auto first = std::find_if(reference.items.begin(), reference.items.end(), [&](const ClipItem& e) {
                    return e.contentHash() == item.contentHash();
                });
                EXPECT_EQ(engine.itemWithContentHash(item.contentHash())->id(), first->id());
            }
            const QString query = random() % 2 ? u"caf\u00C9 -1"_s : u"scan"_s;
            QList<ClipItem> expected;
            for (const ClipItem& item : reference.items) {
                if (matches(item, query, engine.folder()))
                    expected.append(item);
            }
            EXPECT_EQ(engine.filtered(query, QSet<ClipKind>()), expected);
        }
    }
}
