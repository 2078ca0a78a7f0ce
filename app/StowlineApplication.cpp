#include "app/StowlineApplication.h"

#include "app/ApplicationShortcuts.h"
#include "app/LaunchAtLoginManager.h"
#include "app/actions/ClipboardActions.h"
#include "app/appearance/AppearanceCoordinator.h"
#include "app/archive/ArchiveFiles.h"
#include "app/archive/EncryptedArchiveStore.h"
#include "app/capture/ClipboardMonitor.h"
#include "app/cli/ArchiveCommands.h"
#include "app/history/HistoryViewModel.h"
#include "app/history/HistoryWindowManager.h"
#include "app/permission/PermissionReadinessWindowManager.h"
#include "app/preferences/AppPreferences.h"
#include "app/recognition/ImageTextRecognitionCoordinator.h"
#include "app/shortcut/GlobalHotKey.h"
#include "app/shortcut/ShortcutCoordinator.h"
#include "app/store/ClipboardStore.h"
#include "app/settings/SettingsWindowManager.h"
#include "app/tray/StatusMenuController.h"
#include "core/archive/ArchiveProtectionMode.h"
#include "core/archive/StowlineArchive.h"
#include "core/recognition/ImageTextRecognitionPolicy.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPointer>

namespace stowline {

StowlineApplication::StowlineApplication(PlatformServices services, const Options& options, QObject* parent)
    : QObject(parent), m_platform(std::move(services)), m_isBackgroundLaunch(options.isBackgroundLaunch) {
    m_preferences = std::make_unique<AppPreferences>(std::make_unique<PreferenceStore>(
        options.preferencesFile.isEmpty() ? PreferenceStore::defaultFilePath() : options.preferencesFile));
    m_actions = std::make_unique<ClipboardActions>(*m_platform.pasteboard, *m_platform.keystrokes);
    // Before any window: the first one already has the colours in effect. Without a session bus there is no
    // desktop portal to ask (and Qt would start a bus of its own to find that out).
    m_appearance = std::make_unique<AppearanceCoordinator>(
        *m_preferences, qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")
                            ? std::make_unique<DesktopColorScheme>(QDBusConnection::sessionBus())
                            : nullptr);

    // Opening the store loads the archive of the chosen protection mode.
    auto archive = std::make_unique<EncryptedArchiveStore>(
        options.archiveDirectory.isEmpty() ? EncryptedArchiveStore::defaultDirectory() : options.archiveDirectory,
        *m_platform.secrets);
    m_store = std::make_unique<ClipboardStore>(
        std::move(archive), protectionModeFromStoredValue(m_preferences->archiveProtectionModeID()), true);
    m_store->setHistoryLimitProvider([preferences = m_preferences.get()] { return preferences->historyLimit(); });

    m_imageTextRecognition = std::make_unique<ImageTextRecognitionCoordinator>(*m_store, *m_platform.textRecognizer);
    // A history that opens late gets what start-up gives a loaded one.
    connect(m_store.get(), &ClipboardStore::historyOpenedLate, this, [this] {
        m_store->applyRetention(m_preferences->retentionDays());
        queueRecognition(m_store->items());
    });
    // Whatever the clipboard holds at this moment counts as seen, so it never becomes a clip.
    m_monitor = std::make_unique<ClipboardMonitor>(*m_platform.pasteboard, *m_platform.frontmost, *m_store,
                                                   *m_preferences, *m_imageTextRecognition);
    // The application's own clipboard writes are marked through it and never captured.
    m_actions->setMonitor(m_monitor.get());
    m_history = std::make_unique<HistoryWindowManager>(*m_store, *m_preferences, *m_actions, *m_platform.frontmost,
                                                       *m_platform.floatingWindows);

    // The permission window exists before the first shortcut decision, which may open it.
    m_permissions = std::make_unique<PermissionReadinessWindowManager>(
        *m_preferences, *m_actions, [this] { m_shortcuts->registerHotKey(m_preferences->shortcut()); },
        [this] { revertPermissionDependentChoices(); });

    // Created ahead of its turn because the settings release its grab while recording; creating it registers
    // nothing.
    m_hotKey = std::make_unique<GlobalHotKey>(*m_platform.hotKeys, *m_platform.keystrokes, [this] { showPanel(); });
    m_settings =
        std::make_unique<SettingsWindowManager>(*m_preferences, *m_store, LaunchAtLoginManager(*m_platform.loginItem),
                                                *m_hotKey, [this] { m_permissions->showIfNeeded(true); });
    m_settings->setFloatingWindows(m_platform.floatingWindows.get());
    m_history->setSettingsManager({.show =
                                       [settings = QPointer(m_settings.get())] {
                                           if (settings)
                                               settings->show();
                                       },
                                   .window = [settings = QPointer(m_settings.get())]() -> QWidget* {
                                       return settings ? settings->window() : nullptr;
                                   }});

    m_statusMenu = std::make_unique<StatusMenuController>(
        *m_preferences, *m_store,
        StatusMenuController::Callbacks{.openHistory = [this] { togglePanel(); },
                                        .openSettings = [this] { showSettings(); },
                                        .quit = [this] { terminate(); }});

    m_shortcuts = std::make_unique<ShortcutCoordinator>(
        *m_hotKey, *m_preferences, *m_store, [this] { return m_actions->refreshAccessibility(); },
        m_isBackgroundLaunch);
    connect(m_shortcuts.get(), &ShortcutCoordinator::permissionWindowRequested, this,
            [this] { m_permissions->showIfNeeded(true); });
    connect(m_shortcuts.get(), &ShortcutCoordinator::permissionConfigurationChanged, m_permissions.get(),
            &PermissionReadinessWindowManager::configurationDidChange);

    m_applicationShortcuts =
        std::make_unique<ApplicationShortcuts>([this] { showSettings(); }, [this] { terminate(); });
    // "Becoming active" here is one of Stowline's windows taking the focus from another application.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                applicationDidBecomeActive();
        });
    }
}

StowlineApplication::~StowlineApplication() = default;

QString StowlineApplication::launchAtLoginFailedMessage() {
    return QStringLiteral("Stowline could not update Open at Login. You can retry in Settings.");
}

void StowlineApplication::start() {
    reconcileLaunchAtLogin();
    m_shortcuts->start();
    subscribeToPreferences();
    m_monitor->start();
    m_store->applyRetention(m_preferences->retentionDays());
    queueRecognition(m_store->items());
    if (!m_isBackgroundLaunch)
        showPanel();
}

void StowlineApplication::queueRecognition(const QList<ClipItem>& items) {
    for (const ClipItem& item : items) {
        if (ImageTextRecognitionPolicy::needsRecognition(item))
            m_imageTextRecognition->enqueue(item, true);
    }
}

void StowlineApplication::reconcileLaunchAtLogin() {
    LaunchAtLoginManager manager(*m_platform.loginItem);
    const bool wanted = m_preferences->launchAtLogin();
    if (!manager.isInstalled() && !wanted)
        return;
    // Rewritten even when it is there, so it always names the current executable.
    if (!manager.setEnabled(wanted).ok())
        m_store->setLastError(launchAtLoginFailedMessage());
}

void StowlineApplication::subscribeToPreferences() {
    // Later changes only; each re-evaluates the permission window once the change has settled.
    connect(m_preferences.get(), &AppPreferences::instantPasteChanged, m_permissions.get(),
            &PermissionReadinessWindowManager::configurationDidChange, Qt::QueuedConnection);
}

void StowlineApplication::revertPermissionDependentChoices() {
    m_shortcuts->revertPermissionDependentChoices();
    m_permissions->configurationDidChange();
}

void StowlineApplication::applicationDidBecomeActive() {
    m_actions->refreshAccessibility();
    if (m_permissions->isWindowVisible()) {
        const PermissionRequestPhase phase = m_permissions->requestState().phase();
        const bool open = phase == PermissionRequestPhase::presented || phase == PermissionRequestPhase::awaitingSystem;
        if (m_permissions->actions().refreshAccessibility() && open) {
            m_permissions->requestState().observeTrust(true);
            m_permissions->close(true);
        }
        return;
    }
    const HotKeyConfiguration chosen = m_preferences->shortcut();
    if (!chosen.requiresAccessibilityInterception())
        return;
    // Granted meanwhile in the desktop's settings: the waiting choice goes live. Taken away: back to one that
    // needs no permission.
    if (m_actions->accessibilityGranted())
        m_shortcuts->registerHotKey(chosen);
    else
        revertPermissionDependentChoices();
}

void StowlineApplication::showSettings() {
    // The floating panel would stay above the settings: it steps aside as for its own settings button.
    if (m_history->isVisible())
        m_history->showSettings();
    else
        m_settings->show();
}

void StowlineApplication::showPanel() {
    ++m_panelRequestCount;
    m_history->show(false);
    Q_EMIT panelRequested();
}

void StowlineApplication::togglePanel() {
    ++m_panelRequestCount;
    m_history->toggle();
    if (m_history->isVisible())
        Q_EMIT panelRequested();
}

void StowlineApplication::handle(const InstanceRequest& request, const SingleInstance::Responder& respond) {
    switch (request.command) {
    case InstanceCommand::show:
        // A later start reopens the application, which makes it active.
        showPanel();
        applicationDidBecomeActive();
        respond({0, {}});
        return;
    case InstanceCommand::toggle:
        togglePanel();
        respond({0, {}});
        return;
    case InstanceCommand::status:
        respond({0, statusReport()});
        return;
    case InstanceCommand::quit:
        quit(respond);
        return;
    case InstanceCommand::exportHistory:
        respond(exportHistory(request.arguments));
        return;
    case InstanceCommand::importHistory:
        respond(importHistory(request.arguments));
        return;
    case InstanceCommand::list:
        respond({0, ArchiveCommands::listing(m_store->items())});
        return;
    case InstanceCommand::copy:
        respond(copyClip(request.arguments));
        return;
    }
}

namespace {

InstanceReply notUnderstood() {
    return {2, QStringLiteral("The running Stowline did not understand the request.")};
}

InstanceReply failed(const ArchiveCommandError& error) {
    return {1, error.message()};
}

} // namespace

InstanceReply StowlineApplication::exportHistory(const QStringList& arguments) {
    if (arguments.size() != 1)
        return notUnderstood();
    const QString& path = arguments.first();
    if (!m_store->isHistoryOpen())
        return failed({ArchiveCommandError::Kind::archiveUnreachable, ClipboardStore::historyNotOpenMessage(), {}});
    // Only into the owner-only file the asker created: the instance never creates files on request.
    QFile output(path);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::ExistingOnly))
        return failed({ArchiveCommandError::Kind::outputFailed, output.errorString(), path});
    const QByteArray json = ArchiveCommands::exportJson(m_store->items());
    if (output.write(json) != json.size() || !output.flush())
        return failed({ArchiveCommandError::Kind::outputFailed, output.errorString(), path});
    return {0, QString::number(m_store->items().size())};
}

InstanceReply StowlineApplication::importHistory(const QStringList& arguments) {
    if (arguments.size() != 1)
        return notUnderstood();
    const QString& path = arguments.first();
    // Clips merged into a history that is not open yet would be merged a second time once it opens.
    if (!m_store->isHistoryOpen())
        return failed({ArchiveCommandError::Kind::archiveUnreachable, ClipboardStore::historyNotOpenMessage(), {}});
    const auto bytes = ArchiveFiles::readAll(path);
    if (!bytes)
        return failed({ArchiveCommandError::Kind::inputUnreadable, bytes.error().reason, path});
    auto archive = StowlineArchive::decode(*bytes);
    if (!archive)
        return failed({ArchiveCommandError::Kind::invalidInput, archive.error().describe(), path});
    const qint64 limit = m_preferences->historyLimit();
    const ImportSummary summary = ArchiveCommands::merge(m_store->engine(), std::move(archive->items), limit);
    m_store->publishAndSave(true);
    // Answered once the merged history is on disk, as an import without a running instance would be.
    m_store->flush();
    queueRecognition(m_store->items());
    return {0, ArchiveCommands::describe(summary, limit)};
}

InstanceReply StowlineApplication::copyClip(const QStringList& arguments) {
    bool ok = false;
    const qsizetype number = arguments.value(0).toLongLong(&ok);
    const bool paste = arguments.size() == 2 && arguments[1] == InstanceProtocol::pasteArgument;
    if (!ok || arguments.isEmpty() || arguments.size() > 2 || (arguments.size() == 2 && !paste))
        return notUnderstood();
    const QList<ClipItem>& items = m_store->items();
    if (number < 1 || number > items.size())
        return {1, QStringLiteral("There is no clip %1; the history holds %2.\n").arg(number).arg(items.size())};
    const ClipItem item = items[number - 1];
    if (!m_actions->restore(item, false))
        return {1, QStringLiteral("Clip %1 holds nothing that can be put on the clipboard.\n").arg(number)};
    m_store->use(item.id());
    if (paste && !m_actions->postPasteKeystroke())
        return {
            1, QStringLiteral("Clip %1 is on the clipboard, but the paste keystroke could not be sent.\n").arg(number)};
    return {0, {}};
}

void StowlineApplication::stopAndSave() {
    m_monitor->stop();
    // A copy still being turned into a clip belongs to the history that is saved now.
    m_monitor->finishPendingCaptures();
    m_store->compact();
}

void StowlineApplication::quit(const SingleInstance::Responder& respond) {
    // Written before the answer, so the asker knows the history is on disk once it has it.
    stopAndSave();
    respond({0, QStringLiteral("Stowline has saved its history and quit.\n")});
    QMetaObject::invokeMethod(this, &StowlineApplication::quitRequested, Qt::QueuedConnection);
}

void StowlineApplication::terminate() {
    stopAndSave();
    QMetaObject::invokeMethod(this, &StowlineApplication::quitRequested, Qt::QueuedConnection);
}

QString StowlineApplication::statusReport() const {
    const std::optional<HotKeyConfiguration>& shortcut = m_shortcuts->activeShortcut();
    QString report;
    report += u"pid=" + QString::number(QCoreApplication::applicationPid()) + u'\n';
    report += u"panelRequests=" + QString::number(m_panelRequestCount) + u'\n';
    report += u"panel=" +
              (m_history->isVisible() ? QString::number(m_history->viewModel().visibleItems().size())
                                      : QStringLiteral("hidden")) +
              u'\n';
    report += u"shortcut=" + (shortcut ? shortcut->displayText : QString()) + u'\n';
    report += u"clips=" + QString::number(m_store->items().size()) + u'\n';
    report += u"lastError=" + m_store->lastError().value_or(QString()) + u'\n';
    return report;
}

} // namespace stowline
