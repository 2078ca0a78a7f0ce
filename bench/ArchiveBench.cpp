// Saving and loading a large history through the archive store, against the floor of the same bytes:
// AES-256-GCM both ways, an atomic write and a read.

#include "app/archive/EncryptedArchiveStore.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "bench/ArchiveFloor.h"
#include "bench/BenchRegistry.h"
#include "core/classify/ContentClassifier.h"
#include "core/support/SecureRandom.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <random>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

constexpr int textClips = 5000;
constexpr int imageClips = 100;
constexpr qsizetype imageBytes = 1024 * 1024;

ClipItem clipOf(ClipKind kind, const QString& title, ClipRepresentations representations, double createdAt) {
    return ClipItem({.id = QUuid::createUuid(),
                     .createdAt = Timestamp{createdAt},
                     .kind = kind,
                     .title = title,
                     .preview = title.left(120),
                     .sourceAppName = u"Editor"_s,
                     .sourceBundleIdentifier = u"org.example.Editor"_s,
                     .contentHash = ContentClassifier::hash(representations),
                     .byteCount = ContentClassifier::byteCount(representations),
                     .representations = representations});
}

QList<ClipItem> makeHistory() {
    std::mt19937 random(42);
    const QString words[] = {u"alpha"_s,  u"beta"_s,       u"clip"_s,  u"board"_s,   u"history"_s,
                             u"line\n"_s, u"\"quoted\""_s, u"tab\t"_s, u"ünïcode"_s, u"x = 42;"_s};
    QList<ClipItem> items;
    items.reserve(textClips + imageClips);
    for (int i = 0; i < textClips; ++i) {
        QString text;
        while (text.size() < 500)
            text += words[random() % std::size(words)] + u' ';
        items.append(clipOf(ClipKind::text, text.left(40), {{0, TypeIdentifier::plainText, text.toUtf8()}}, i));
    }
    for (int i = 0; i < imageClips; ++i) {
        QByteArray image = *SecureRandom::bytes(imageBytes);
        items.append(clipOf(ClipKind::image, u"Image"_s, {{0, TypeIdentifier::png, std::move(image)}}, i));
    }
    return items;
}

qint64 statusKilobytes(const char* field) {
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qsizetype(strlen(field))).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Lets VmHWM measure from here on.
void resetPeakMemory() {
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

int runArchive(const QStringList&) {
    QTextStream out(stdout);
    QTemporaryDir home;
    FakeSecretStore secrets;
    EncryptedArchiveStore store(home.path() + u"/org.stowline.Stowline"_s, secrets);
    const QList<ClipItem> history = makeHistory();
    constexpr auto mode = ArchiveProtectionMode::localFile;
    if (!store.save(history, mode).ok()) {
        out << "save failed\n";
        return 1;
    }
    const qint64 archiveBytes = store.diskSize(mode);

    const qint64 residentBefore = statusKilobytes("VmRSS:");
    resetPeakMemory();
    const double save = bench::medianSeconds(5, [&] {
        if (!store.save(history, mode).ok())
            qFatal("save failed");
    });
    const qint64 peakDuringSave = statusKilobytes("VmHWM:");

    qsizetype loadedItems = 0;
    const double load = bench::medianSeconds(5, [&] {
        auto loaded = store.load(mode);
        if (!loaded.ok())
            qFatal("load failed");
        loadedItems = loaded->items.size();
    });

    const double floor = bench::archiveFloorSeconds(5, archiveBytes, home.path());

    const double archiveMegabytes = double(archiveBytes) / 1e6;
    const double extraMegabytes = double(peakDuringSave - residentBefore) * 1024 / 1e6;
    out << "archive: " << archiveMegabytes << " MB, " << loadedItems << " clips\n";
    out << "save: " << save << " s, load: " << load << " s, floor (encrypt + atomic write + read + decrypt): " << floor
        << " s\n";
    out << "peak memory during save above the history: " << extraMegabytes
        << " MB = " << extraMegabytes / archiveMegabytes << " x archive\n";
    out << "ratio=" << std::max(save, load) / floor << '\n';
    return 0;
}

bench::Registration registration(u"archive"_s, runArchive);

} // namespace
