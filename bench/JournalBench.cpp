// What a save costs once it is a journal record: one capture into a history of 100,000 texts and into one of
// about 2 GB of images, each against appending that capture's record alone; and the rewrite that empties the
// journal for a history of about 150 MB, against the archive floor (encrypt + atomic write + read + decrypt).
// Arguments: --image-megabytes N (default 2000) sizes the image history.

#include "app/archive/ArchiveFiles.h"
#include "app/archive/EncryptedArchiveStore.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "bench/ArchiveFloor.h"
#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"
#include "core/archive/HistoryJournal.h"
#include "core/history/HistoryEngine.h"
#include "core/support/SecureRandom.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

constexpr auto mode = ArchiveProtectionMode::localFile;
constexpr qsizetype imageBytes = 5 * 1000 * 1000;

ClipItem imageClip(const QByteArray& image, int serial) {
    // The pixels are shared between clips; a distinct hash keeps them distinct entries.
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(QByteArray::number(serial), QCryptographicHash::Sha256).toHex());
    return bench::syntheticImageClip(image, serial, hash);
}

struct CaptureCost {
    double capture = 0;
    double inMemory = 0;
    double recordAlone = 0;
};

// Median cost of saving one more capture as a change, and of appending the same record to a file by itself.
CaptureCost measureCaptures(EncryptedArchiveStore& store, HistoryEngine& history, const QString& scratch,
                            const std::function<ClipItem(int)>& next) {
    constexpr int repeats = 9;
    CaptureCost cost;
    int serial = 0;
    // The save queue's part: the history is copied and changed on the main thread before it, at 100,000 clips
    // or at ten alike, and that part is timed apart.
    std::vector<double> saves;
    std::vector<double> changes;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        const HistoryEngine before = history;
        history.ingest(next(serial++), 0);
        changes.push_back(double(timer.nsecsElapsed()) / 1e9);
        timer.restart();
        if (!store.saveChange(history, mode).ok())
            qFatal("journal save failed");
        saves.push_back(double(timer.nsecsElapsed()) / 1e9);
    }
    std::sort(saves.begin(), saves.end());
    std::sort(changes.begin(), changes.end());
    cost.capture = saves[saves.size() / 2];
    cost.inMemory = changes[changes.size() / 2];

    const QByteArray key = *SecureRandom::bytes(32);
    const QByteArray header = HistoryJournal::header(QByteArray(12, 'n'));
    if (!ArchiveFiles::replaceAtomically(scratch, header).ok())
        qFatal("scratch write failed");
    qint64 length = header.size();
    quint64 sequence = 0;
    cost.recordAlone = bench::medianSeconds(repeats, [&] {
        HistoryEngine one;
        const HistoryEngine empty;
        one.ingest(next(serial++), 0);
        const auto change = JournalChange::between(empty, one);
        const auto record = HistoryJournal::sealRecord(change->encode(), key, header, sequence++);
        if (!record || !ArchiveFiles::writeAtEndDurably(scratch, length, *record).ok())
            qFatal("record write failed");
        length += record->size();
    });
    return cost;
}

int runJournal(const QStringList& arguments) {
    QTextStream out(stdout);
    qint64 imageMegabytes = 2000;
    if (const qsizetype at = arguments.indexOf(u"--image-megabytes"_s); at >= 0)
        imageMegabytes = arguments.value(at + 1).toLongLong();

    QTemporaryDir home;
    FakeSecretStore secrets;
    EncryptedArchiveStore store(home.path() + u"/org.stowline.Stowline"_s, secrets);
    const QString scratch = home.path() + u"/record-alone.bin"_s;

    // 100,000 texts and a few images: about 150 MB at rest.
    HistoryEngine texts(bench::syntheticHistory(100'000, 7));
    const QByteArray pixels = *SecureRandom::bytes(imageBytes);
    for (int i = 0; i < 3; ++i)
        texts.ingest(imageClip(pixels, 1'000'000 + i), 0);
    if (!store.save(texts, mode).ok())
        qFatal("archive write failed");
    const qint64 textArchive = store.diskSize(mode);
    const CaptureCost textCost = measureCaptures(store, texts, scratch, [](int serial) {
        return bench::syntheticClip(200'000 + serial, 7, Timestamp{1e9 + serial});
    });
    out << "100,000 texts (" << double(textArchive) / 1e6 << " MB): capture saved in " << textCost.capture * 1e3
        << " ms, its record alone " << textCost.recordAlone * 1e3 << " ms (the change in memory before it "
        << textCost.inMemory * 1e3 << " ms)\n";

    // The rewrite that empties the journal, against the floor of the same bytes.
    const double compaction = bench::medianSeconds(3, [&] {
        if (!store.save(texts.items(), mode).ok())
            qFatal("rewrite failed");
    });
    const qint64 archiveBytes = store.diskSize(mode);
    const double floor = bench::archiveFloorSeconds(3, archiveBytes, home.path());
    out << "rewrite of " << double(archiveBytes) / 1e6 << " MB: " << compaction << " s, archive floor " << floor
        << " s\n";

    // Images: one buffer of pixels shared by every clip in memory, each written in full to the archive.
    HistoryEngine images;
    {
        QList<ClipItem> clips;
        for (qint64 i = 0; i < imageMegabytes * 1000 * 1000 / imageBytes; ++i)
            clips.append(imageClip(pixels, int(i)));
        images = HistoryEngine(clips);
    }
    if (!store.save(images, mode).ok())
        qFatal("image archive write failed");
    const qint64 imageArchive = store.diskSize(mode);
    const CaptureCost imageCost =
        measureCaptures(store, images, scratch, [&](int serial) { return imageClip(pixels, 2'000'000 + serial); });
    out << images.size() << " images (" << double(imageArchive) / 1e6 << " MB): capture saved in "
        << imageCost.capture * 1e3 << " ms, its record alone " << imageCost.recordAlone * 1e3 << " ms\n";

    const double textRatio = textCost.capture / textCost.recordAlone;
    const double imageRatio = imageCost.capture / imageCost.recordAlone;
    const double rewriteRatio = compaction / floor;
    out << "capture ratios (goal < 10): texts " << textRatio << ", images " << imageRatio
        << "; rewrite / floor (goal < 2): " << rewriteRatio << '\n';
    out << "ratio=" << std::max({textRatio / 10, imageRatio / 10, rewriteRatio / 2}) << '\n';
    return 0;
}

// Writes a history for measuring the real executable: arguments are the archive folder, the number of texts and
// optionally the number of 1 MB images.
int runWriteHistory(const QStringList& arguments) {
    if (arguments.size() < 2)
        return 2;
    FakeSecretStore secrets;
    EncryptedArchiveStore store(arguments[0], secrets);
    QList<ClipItem> items = bench::syntheticHistory(arguments[1].toInt(), 11);
    const int imageCount = arguments.value(2).toInt();
    for (int i = 0; i < imageCount; ++i)
        items.append(imageClip(*SecureRandom::bytes(1000 * 1000), 3'000'000 + i));
    if (!store.save(items, mode).ok())
        return 1;
    QTextStream(stdout) << "wrote " << items.size() << " clips, " << store.diskSize(mode) << " bytes\nratio=1\n";
    return 0;
}

bench::Registration registration(u"journal"_s, runJournal);
bench::Registration writeHistory(u"write-history"_s, runWriteHistory);

} // namespace
