// Memory near the data: a fresh process opens a history of synthetic texts through the clipboard store, as the
// application does, and searches it once; its resident memory is set against the archive's size (goal < 1.5).
// Then one capture is saved as a journal record and the archive is rewritten (compaction on the save queue);
// the peak resident memory during that rewrite is set against the archive's size too (goal < 2). Last, images
// are captured and the memory each holds beyond its own bytes is printed.
// Arguments: number of texts (default 100000), number of 1 MB images (default 40).
// The child run "memory-child FOLDER IMAGES" is the measured process; with IMAGES -1 it only opens the history,
// with -2 it ends right after the history is opened and searched.

#include "app/archive/EncryptedArchiveStore.h"
#include "app/notices/Notices.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/store/HistoryPersistence.h"
#include "app/store/HistoryStore.h"
#include "app/ui/history/HistoryViewModel.h"
#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"
#include "core/classify/ContentClassifier.h"
#include "core/search/SmartSearch.h"
#include "core/support/SecureRandom.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>

#include <malloc.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

constexpr auto mode = ArchiveProtectionMode::localFile;
constexpr qsizetype imageBytes = 1000 * 1000;

// A field of /proc/self/status, in bytes.
qint64 statusBytes(QByteArrayView field) {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        qFatal("cannot read /proc/self/status");
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field) && line.size() > field.size() && line[field.size()] == ':')
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    qFatal("no such field in /proc/self/status");
}

// Lets the next peak reading cover only what follows.
void resetPeak() {
    QFile clear(u"/proc/self/clear_refs"_s);
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        qFatal("cannot reset the peak resident size");
}

ClipItem imageClip(int serial) {
    const QByteArray pixels = *SecureRandom::bytes(imageBytes);
    return bench::syntheticImageClip(pixels, serial, ContentClassifier::hash({{0, TypeIdentifier::png, pixels}}));
}

// The measuring process: prints "name=value" lines for the parent.
int runChild(const QStringList& arguments) {
    const QString directory = arguments.value(0);
    const int images = arguments.value(1).toInt();
    QTextStream out(stdout);
    const qint64 empty = statusBytes("VmRSS");
    FakeSecretStore secrets;
    Notices notices;
    HistoryStore store;
    HistoryPersistence persistence(store, notices, std::make_unique<EncryptedArchiveStore>(directory, secrets), mode);
    // Opening and any upgrade of the stored entries run on the save queue.
    persistence.flush();
    if (images == -1)
        return 0;
    const auto history = store.publishedHistory();
    if (history->isEmpty())
        qFatal("the history did not open");
    // The panel's model folds every entry's searchable text on its search queue, as soon as the history is
    // there; the folded texts then stay.
    HistoryViewModel view(store);
    view.waitForSearchQueue();
    qsizetype found = history->sharedFiltered(SmartSearch(u"report"_s, history->folder()), HistoryFilter::all).size();
    QCoreApplication::processEvents();
    const qint64 open = statusBytes("VmRSS");
    // With IMAGES -2 the process ends here without freeing anything, so a heap profiler's report of what was
    // never freed is what the open history holds.
    if (images == -2)
        std::exit(0);

    resetPeak();
    store.capture(bench::syntheticClip(-1, 5, Timestamp::now()), 0);
    persistence.compact();
    const qint64 compactionPeak = statusBytes("VmHWM");

    // Images go into a history of their own, held in memory only: what an image clip holds, apart from the
    // large history's copies for publishing and saving. Resident memory is read with the allocator's free pages
    // handed back, so blocks freed meanwhile do not blur it.
    const auto heapInUse = [] {
        malloc_trim(0);
        return statusBytes("VmRSS");
    };
    HistoryStore imageStore;
    const qint64 beforeImages = heapInUse();
    for (int i = 0; i < images; ++i)
        imageStore.capture(imageClip(i), 0);
    const qint64 withImages = heapInUse();
    out << "clips=" << history->size() << " found=" << found << '\n';
    out << "empty=" << empty << "\nopen=" << open << "\npeak=" << compactionPeak << "\nimages=" << images
        << "\nimageHeapGrowth=" << withImages - beforeImages << '\n';
    return 0;
}

std::map<QByteArray, qint64> parsed(const QByteArray& output) {
    std::map<QByteArray, qint64> values;
    for (const QByteArray& line : output.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0 && !line.contains(' '))
            values[line.left(equals)] = line.mid(equals + 1).toLongLong();
    }
    return values;
}

int run(const QStringList& arguments) {
    const int texts = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    const int images = arguments.size() < 2 ? 40 : arguments[1].toInt();
    QTextStream out(stdout);
    QTemporaryDir home;
    qint64 archiveBytes = 0;
    {
        FakeSecretStore secrets;
        EncryptedArchiveStore archive(home.path(), secrets);
        if (!archive.save(bench::syntheticHistory(texts, 11), mode).ok())
            qFatal("archive write failed");
        archiveBytes = archive.diskSize(mode);
    }
    const auto runChildProcess = [&](int childImages) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(),
                    {u"memory-child"_s, home.path(), QString::number(childImages)});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            qFatal("the measuring process failed");
        return parsed(child.readAllStandardOutput());
    };
    // The first start brings the stored entries up to the current rules and writes them once, as the
    // application's first start with an older archive does; the measured start is the one after.
    runChildProcess(-1);
    {
        FakeSecretStore secrets;
        archiveBytes = EncryptedArchiveStore(home.path(), secrets).diskSize(mode);
    }
    auto values = runChildProcess(images);
    const double archive = double(archiveBytes);
    const double mb = 1e6;
    const double residentRatio = double(values["open"]) / archive;
    const double peakRatio = double(values["peak"]) / archive;
    out << texts << " texts, archive " << archive / mb << " MB; process without history "
        << double(values["empty"]) / mb << " MB\n";
    out << "resident with the history open and searched: " << double(values["open"]) / mb << " MB = " << residentRatio
        << "x the archive (goal < 1.5)\n";
    out << "peak during compaction: " << double(values["peak"]) / mb << " MB = " << peakRatio
        << "x the archive (goal < 2)\n";
    if (images > 0)
        out << "per image clip beyond its " << imageBytes / 1000
            << " kB: " << double(values["imageHeapGrowth"] - qint64(images) * imageBytes) / images / 1000 << " kB\n";
    out << "ratio=" << std::max(residentRatio / 1.5, peakRatio / 2) << '\n';
    return 0;
}

bench::Registration registration(u"memory"_s, run);
bench::Registration child(u"memory-child"_s, runChild);

} // namespace
