// Building the history from the clips the archive just loaded, as start-up does on the main thread.
#include "app/archive/EncryptedArchiveStore.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"
#include "core/detect/CredentialDetector.h"
#include "core/history/HistoryEngine.h"
#include "core/metadata/CapturedContentMetadata.h"

#include <QTemporaryDir>
#include <QTextStream>

using namespace Qt::StringLiterals;
using namespace stowline;

namespace {

int run(const QStringList& arguments) {
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    constexpr int repeats = 7;
    QTextStream out(stdout);
    // Shuffled in time, as an archive written by another version might be.
    QList<ClipItem> loaded = bench::syntheticHistory(clips, 1);
    for (qsizetype i = 0; i < loaded.size(); i += 7)
        loaded[i].setLastUsedAt(Timestamp{double((i * 7919) % clips)});
    qsizetype built = 0;
    const double startup = bench::medianSeconds(repeats, [&] { built = HistoryEngine(loaded).size(); });
    // The floor: the least a history that owns its entries does, taking its own copy of each of them.
    qsizetype copied = 0;
    const double floor = bench::medianSeconds(repeats, [&] {
        QList<ClipItem> copy(loaded.begin(), loaded.end());
        copied = copy.size();
    });
    // What the deferred work costs later, on the first search (the search thread in the application).
    const HistoryEngine engine(loaded);
    const double firstSearch =
        bench::medianSeconds(1, [&] { built += engine.filtered(u"x"_s, QSet<ClipKind>()).size() * 0; });
    out << "clips=" << built << " copied=" << copied << '\n';
    out << "startup_ms=" << startup * 1000 << " floor_ms=" << floor * 1000
        << " first_search_with_folding_ms=" << firstSearch * 1000 << '\n';
    out << "ratio=" << startup / floor << '\n';
    return 0;
}

// Where start-up time goes with a stored history: each step of opening it, once.
int runPhases(const QStringList& arguments) {
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    QTextStream out(stdout);
    QTemporaryDir home;
    FakeSecretStore secrets;
    const QString folder = home.filePath(u"data"_s);
    constexpr auto mode = ArchiveProtectionMode::localFile;
    {
        EncryptedArchiveStore writer(folder, secrets);
        if (!writer.save(bench::syntheticHistory(clips, 11), mode).ok())
            qFatal("write failed");
    }
    EncryptedArchiveStore store(folder, secrets);
    QList<ClipItem> items;
    const double load = bench::medianSeconds(3, [&] { items = store.load(mode)->items; });
    ClipListUpgrade metadata;
    const double upgradeMetadata = bench::medianSeconds(1, [&] { metadata = CapturedContentMetadata::upgrade(items); });
    ClipListUpgrade credentials;
    const double upgradeCredentials =
        bench::medianSeconds(1, [&] { credentials = CredentialDetector::upgrade(metadata.items); });
    std::optional<HistoryEngine> engine;
    const double build = bench::medianSeconds(3, [&] { engine.emplace(items); });
    const double copyOut = bench::medianSeconds(3, [&] { items = engine->items(); });
    const double fold = bench::medianSeconds(1, [&] { engine->foldSearchableText(); });
    out << "archive_mb=" << double(store.diskSize(mode)) / 1e6 << " load_ms=" << load * 1e3
        << " upgrade_metadata_ms=" << upgradeMetadata * 1e3 << " upgrade_credentials_ms=" << upgradeCredentials * 1e3
        << " engine_ms=" << build * 1e3 << " items_ms=" << copyOut * 1e3 << " fold_ms=" << fold * 1e3 << '\n';
    out << "ratio=1\n";
    return 0;
}

const bench::Registration registration(u"startup"_s, run);
const bench::Registration phases(u"startup-phases"_s, runPhases);

} // namespace
