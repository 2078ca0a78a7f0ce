#include "app/recognition/ImageTextRecognitionCoordinator.h"

#include "tests/support/AppFixture.h"
#include "tests/support/ClipBuilders.h"
#include "tests/support/Wait.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

class ImageTextRecognitionCoordinatorTest : public test::AppFixture {
protected:
    // An image clip in the history, whose bytes the fake recogniser reads as `lines` ("text of <bytes>" by
    // default).
    ClipItem storedImage(const QByteArray& bytes, std::optional<QStringList> lines = std::nullopt) {
        recognizer.setLines(bytes, lines.value_or(QStringList{u"text of "_s + QString::fromLatin1(bytes)}));
        const QUuid id = store.capture(test::imageClip(bytes), 0);
        return *store.item(id);
    }

    bool waitForCompletions(qsizetype count) {
        return test::waitUntil([&] { return completed.count() >= count; }, 5000);
    }

    // Enqueues a fresh image as backfill and waits for its result. It runs after every recent job already
    // waiting, so when the callers queued only recent jobs before, they have all been dealt with by then.
    void settle() {
        const ClipItem sentinel = storedImage("sentinel-" + QByteArray::number(++m_sentinels));
        const qsizetype before = completed.count();
        coordinator.enqueue(sentinel, RecognitionOrigin::backfill);
        ASSERT_TRUE(test::waitUntil(
            [&] {
                for (qsizetype i = before; i < completed.count(); ++i) {
                    if (completed.at(i).at(0).toString() == sentinel.contentHash())
                        return true;
                }
                return false;
            },
            5000));
    }

    QSignalSpy completed{&coordinator, &ImageTextRecognitionCoordinator::completed};

private:
    int m_sentinels = 0;
};

} // namespace

TEST_F(ImageTextRecognitionCoordinatorTest, OnlyImagesThatNeedRecognitionAreQueued) {
    const ClipItem text = *store.item(store.capture(test::textClip(u"plain words"_s), 0));
    ClipItem done = test::imageClip("already recognised");
    done.setTextRecognitionVersion(1);
    recognizer.setLines("already recognised", {u"again"_s});
    coordinator.enqueue(text, RecognitionOrigin::capture);
    coordinator.enqueue(done, RecognitionOrigin::capture);
    settle();
    EXPECT_EQ(recognizer.requests(), QByteArrayList{"sentinel-1"});
}

TEST_F(ImageTextRecognitionCoordinatorTest, ResultIsNormalisedAndWrittenIntoTheClip) {
    const ClipItem image =
        storedImage("screenshot", QStringList{u"  Total: 12 €  "_s, u"TOTAL: 12 €"_s, u"\n"_s, u"Ｆｏｏ\nfoo"_s});
    const ClipItem blank = storedImage("blank photo", QStringList());
    coordinator.enqueue(image, RecognitionOrigin::capture);
    coordinator.enqueue(blank, RecognitionOrigin::capture);
    ASSERT_TRUE(waitForCompletions(2));
    for (const auto& arguments : std::as_const(completed))
        EXPECT_TRUE(arguments.at(1).toBool());

    const ClipItem recognised = *store.item(image.id());
    EXPECT_EQ(recognised.recognizedText(), u"Total: 12 €\nＦｏｏ"_s);
    EXPECT_EQ(recognised.textRecognitionVersion(), 1);
    const ClipItem empty = *store.item(blank.id());
    EXPECT_EQ(empty.recognizedText(), std::nullopt) << "an image without text stores no text";
    EXPECT_EQ(empty.textRecognitionVersion(), 1) << "... but is not tried again";

    persistence.flush();
    EncryptedArchiveStore archive(dir.path(), secrets);
    const auto loaded = archive.load(ArchiveProtectionMode::localFile);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->items, store.items()) << "the results are saved";
}

TEST_F(ImageTextRecognitionCoordinatorTest, SameContentIsRecognisedOnceWhilePending) {
    const ClipItem first = storedImage("duplicate");
    recognizer.hold();
    coordinator.enqueue(first, RecognitionOrigin::capture);
    ASSERT_TRUE(test::waitUntil([&] { return recognizer.callCount() == 1; }, 5000));
    coordinator.enqueue(first, RecognitionOrigin::capture);
    coordinator.enqueue(test::imageClip("duplicate"), RecognitionOrigin::capture);
    recognizer.release();
    ASSERT_TRUE(waitForCompletions(1));
    settle();
    EXPECT_EQ(recognizer.requests(), (QByteArrayList{"duplicate", "sentinel-1"}));
}

TEST_F(ImageTextRecognitionCoordinatorTest, RecentJobsGoFirstAndEachListIsLastInFirstOut) {
    const ClipItem running = storedImage("running");
    recognizer.hold();
    coordinator.enqueue(running, RecognitionOrigin::capture);
    ASSERT_TRUE(test::waitUntil([&] { return recognizer.callCount() == 1; }, 5000));
    coordinator.enqueue(storedImage("backfill 1"), RecognitionOrigin::backfill);
    coordinator.enqueue(storedImage("recent 1"), RecognitionOrigin::capture);
    coordinator.enqueue(storedImage("backfill 2"), RecognitionOrigin::backfill);
    coordinator.enqueue(storedImage("recent 2"), RecognitionOrigin::capture);
    recognizer.release();
    ASSERT_TRUE(waitForCompletions(5));
    EXPECT_EQ(recognizer.requests(), (QByteArrayList{"running", "recent 2", "recent 1", "backfill 2", "backfill 1"}));
}

TEST_F(ImageTextRecognitionCoordinatorTest, FailuresAreDroppedWithoutAVersionAndMayBeTriedAgain) {
    ClipItem gif({.id = QUuid::createUuid(),
                  .createdAt = Timestamp{1000},
                  .kind = ClipKind::image,
                  .title = u"Image"_s,
                  .preview = u"Image"_s,
                  .contentHash = u"gif-hash"_s,
                  .byteCount = 6,
                  .representations = {{0, u"com.compuserve.gif"_s, "GIF89a"}}});
    const auto missing = ImageTextRecognitionCoordinator::recognizeText(gif, recognizer);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error(), RecognitionError::missingImageRepresentation);

    const ClipItem broken = *store.item(store.capture(test::imageClip("broken"), 0));
    recognizer.setError("broken", TextRecognitionError::recognitionFailed);
    gif = *store.item(store.capture(gif, 0));
    const QList<ClipItem> before = store.items();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        coordinator.enqueue(gif, RecognitionOrigin::capture);
        coordinator.enqueue(broken, RecognitionOrigin::capture);
        settle();
    }
    EXPECT_EQ(recognizer.requests(), (QByteArrayList{"broken", "sentinel-1", "broken", "sentinel-2"}))
        << "a failed job leaves nothing pending, so the next enqueue tries again";
    EXPECT_EQ(store.item(broken.id())->textRecognitionVersion(), std::nullopt);
    EXPECT_EQ(store.item(gif.id())->textRecognitionVersion(), std::nullopt);
    for (const auto& arguments : std::as_const(completed))
        EXPECT_NE(arguments.at(0).toString(), broken.contentHash()) << "a failure never reaches the store";
    for (const ClipItem& item : before)
        EXPECT_EQ(*store.item(item.id()), item);
}

TEST_F(ImageTextRecognitionCoordinatorTest, DeletedClipIsLeftAloneAndAReplacementIsRecognisedAgain) {
    const ClipItem deleted = storedImage("deleted");
    const ClipItem replaced = storedImage("replaced");
    recognizer.hold();
    coordinator.enqueue(deleted, RecognitionOrigin::capture);
    ASSERT_TRUE(test::waitUntil([&] { return recognizer.callCount() == 1; }, 5000));
    coordinator.enqueue(replaced, RecognitionOrigin::capture);
    store.deleteItem(deleted.id());
    store.deleteItem(replaced.id());
    // A newer copy of the same image: a new clip with the same content.
    const QUuid replacement = store.capture(test::imageClip("replaced"), 0);
    const QList<ClipItem> before = store.items();
    QSignalSpy changes(&store, &HistoryStore::itemsChanged);
    recognizer.release();

    ASSERT_TRUE(waitForCompletions(3));
    EXPECT_EQ(completed.at(0), (QVariantList{deleted.contentHash(), false}));
    EXPECT_EQ(completed.at(1), (QVariantList{replaced.contentHash(), false}));
    EXPECT_EQ(completed.at(2), (QVariantList{replaced.contentHash(), true}));
    EXPECT_EQ(recognizer.requests(), (QByteArrayList{"deleted", "replaced", "replaced"}));
    EXPECT_EQ(changes.count(), 1) << "only the replacement's result changes the history";
    EXPECT_EQ(store.item(replacement)->recognizedText(), u"text of replaced"_s);
    EXPECT_EQ(store.items().size(), before.size());
}
