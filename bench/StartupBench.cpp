// Start-up with a large stored history: building the history from the clips the archive just loaded; where the
// time of opening it goes; and the whole application's start until its first command is answered.
#include "app/StowlineApplication.h"
#include "app/archive/EncryptedArchiveStore.h"
#include "app/instance/InstanceCommands.h"
#include "app/platform/fake/FakeFloatingWindows.h"
#include "app/platform/fake/FakeFrontmostApplication.h"
#include "app/platform/fake/FakeHotKeyService.h"
#include "app/platform/fake/FakeKeystrokePoster.h"
#include "app/platform/fake/FakePasteboard.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/platform/fake/FakeTextRecognizer.h"
#include "app/platform/xdg/XdgAutostartEntry.h"
#include "app/store/HistoryStore.h"
#include "bench/BenchRegistry.h"
#include "bench/SyntheticHistory.h"
#include "core/detect/CredentialDetector.h"
#include "core/history/HistoryEngine.h"
#include "core/metadata/CapturedContentMetadata.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

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
    const double firstSearch = bench::medianSeconds(1, [&] { built += engine.filtered(u"x"_s).size() * 0; });
    out << "clips=" << built << " copied=" << copied << '\n';
    out << "startup_ms=" << startup * 1000 << " floor_ms=" << floor * 1000
        << " first_search_with_folding_ms=" << firstSearch * 1000 << '\n';
    out << "ratio=" << startup / floor << '\n';
    return 0;
}

constexpr auto mode = ArchiveProtectionMode::localFile;

// A stored history of `clips` synthetic texts, as a previous run would have left it.
void writeStoredHistory(const QString& folder, FakeSecretStore& secrets, int clips) {
    EncryptedArchiveStore writer(folder, secrets);
    if (!writer.save(bench::syntheticHistory(clips, 11), mode).ok())
        qFatal("write failed");
}

// Where start-up time goes with a stored history: each step of opening it, once.
int runPhases(const QStringList& arguments) {
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    QTextStream out(stdout);
    QTemporaryDir home;
    FakeSecretStore secrets;
    const QString folder = home.filePath(u"data"_s);
    writeStoredHistory(folder, secrets, clips);
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

PlatformServices fakeServices(const QString& configHome) {
    PlatformServices services;
    services.hotKeys = std::make_unique<FakeHotKeyService>();
    services.keystrokes = std::make_unique<FakeKeystrokePoster>();
    services.secrets = std::make_unique<FakeSecretStore>();
    services.loginItem = std::make_unique<XdgAutostartEntry>(configHome);
    services.pasteboard = std::make_unique<FakePasteboard>();
    services.frontmost = std::make_unique<FakeFrontmostApplication>();
    services.floatingWindows = std::make_unique<FakeFloatingWindows>();
    services.textRecognizer = std::make_unique<FakeTextRecognizer>();
    return services;
}

struct Start {
    double constructed = 0;
    double opened = 0;
    double answer = 0;
    double upgraded = 0;
    double longestStall = 0;
    double quit = 0;
};

enum class Quit { afterUpgrade, atAnswer };

// One start of the whole application in the background over the stored history: until a `status` asked as the
// event loop first runs is answered, and (when the stored entries need it) until their upgrade is applied, with
// the longest time the GUI thread did not come back to its event loop meanwhile.
Start startApplication(const QString& home, const QString& folder, bool expectUpgrade, Quit quit = Quit::afterUpgrade) {
    Start start;
    QElapsedTimer clock;
    clock.start();
    const auto now = [&] { return double(clock.nsecsElapsed()) / 1e9; };
    std::optional<double> answered;
    std::optional<double> upgraded;
    StowlineApplication application(fakeServices(home + u"/config"_s), {true, home + u"/Stowline.conf"_s, folder});
    start.constructed = now();
    QObject::connect(&application.store(), &HistoryStore::historyOpened, &application, [&] { start.opened = now(); });
    QObject::connect(&application.store(), &HistoryStore::storedEntriesUpgraded, &application,
                     [&] { upgraded = now(); });
    InstanceCommands commands(application.instanceServices());
    QTimer::singleShot(0, &application, [&] {
        commands.handle({InstanceCommand::status, {}},
                        [&](const InstanceReply&) { answered = double(clock.nsecsElapsed()) / 1e9; });
    });
    application.start();
    QTimer ticker;
    ticker.setInterval(5);
    qint64 last = clock.nsecsElapsed();
    QObject::connect(&ticker, &QTimer::timeout, &application, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (answered)
            start.longestStall = std::max(start.longestStall, double(now - last) / 1e9);
        last = now;
    });
    ticker.start();
    QElapsedTimer limit;
    limit.start();
    const auto waitFor = [&](const std::optional<double>& moment) {
        while (!moment && limit.elapsed() < 60'000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    };
    waitFor(answered);
    if (expectUpgrade && quit == Quit::afterUpgrade)
        waitFor(upgraded);
    start.answer = answered.value_or(0);
    start.upgraded = upgraded.value_or(0);
    const double quitting = now();
    application.stopAndSave();
    start.quit = now() - quitting;
    return start;
}

// The first start (stored entries of older rules are upgraded) and a later one, against reading and decrypting
// the archive alone.
int runFirstAnswer(const QStringList& arguments) {
    QTextStream out(stdout);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        out << "needs a display or QT_QPA_PLATFORM=offscreen\n";
        return 2;
    }
    const int clips = arguments.isEmpty() ? 100000 : arguments[0].toInt();
    QTemporaryDir home;
    FakeSecretStore secrets;
    const QString folder = home.filePath(u"data"_s);
    writeStoredHistory(folder, secrets, clips);
    // Read, decrypted and decoded, as the archive store does it; then the history built from it.
    const double bare = bench::medianSeconds(3, [&] {
        if (!EncryptedArchiveStore(folder, secrets).load(mode).ok())
            qFatal("load failed");
    });
    const QList<ClipItem> loaded = EncryptedArchiveStore(folder, secrets).load(mode)->items;
    const double build = bench::medianSeconds(3, [&] { (void)HistoryEngine(loaded).size(); });
    // Quit as soon as the first start answers, while the upgrade runs; then again, to the end of the upgrade.
    const Start quitEarly = startApplication(home.path(), folder, true, Quit::atAnswer);
    const Start first = startApplication(home.path(), folder, true);
    std::vector<Start> later;
    for (int i = 0; i < 3; ++i)
        later.push_back(startApplication(home.path(), folder, false));
    const auto median = [](std::vector<Start> starts) {
        std::sort(starts.begin(), starts.end(), [](const Start& a, const Start& b) { return a.answer < b.answer; });
        return starts[starts.size() / 2];
    };
    // The same application with no history at all.
    std::vector<Start> empty;
    for (int i = 0; i < 3; ++i) {
        QTemporaryDir emptyHome;
        empty.push_back(startApplication(emptyHome.path(), emptyHome.filePath(u"data"_s), false));
    }
    const double emptyAnswer = median(empty).answer;
    const Start laterStart = median(later);
    out << clips << " texts: reading the archive " << bare * 1e3 << " ms, building the history " << build * 1e3
        << " ms; first start answers in " << first.answer * 1e3 << " ms, upgrade applied at " << first.upgraded * 1e3
        << " ms with the GUI thread away at most " << first.longestStall * 1e3
        << " ms meanwhile; quitting during the upgrade takes " << quitEarly.quit * 1e3
        << " ms; a later start answers in " << laterStart.answer * 1e3 << " ms (application made at "
        << laterStart.constructed * 1e3 << " ms, history there at " << laterStart.opened * 1e3
        << " ms); without a history it answers in " << emptyAnswer * 1e3 << " ms\n";
    // Reading and building the history overlap with making the application, so the answer should come no later
    // than the three one after the other.
    const double baseline = bare + build + emptyAnswer;
    const double firstRatio = first.answer / baseline;
    const double laterRatio = laterStart.answer / baseline;
    out << "first answer / (reading the archive + building the history + answering without one) (goal < 1): "
        << "first start " << firstRatio << ", later start " << laterRatio << '\n';
    out << "ratio=" << std::max(firstRatio, laterRatio) << '\n';
    return 0;
}

const bench::Registration registration(u"startup"_s, run);
const bench::Registration firstAnswer(u"first-answer"_s, runFirstAnswer);
const bench::Registration phases(u"startup-phases"_s, runPhases);

} // namespace
