#include "app/StowlineApplication.h"

#include "app/LaunchAtLoginManager.h"
#include "app/archive/EncryptedArchiveStore.h"
#include "app/preferences/AppPreferences.h"
#include "app/shortcut/GlobalHotKey.h"
#include "app/shortcut/ShortcutCoordinator.h"
#include "app/store/ClipboardStore.h"
#include "core/archive/ArchiveProtectionMode.h"

#include <QCoreApplication>

namespace stowline {

StowlineApplication::StowlineApplication(PlatformServices services, const Options& options, QObject* parent)
    : QObject(parent), m_platform(std::move(services)), m_isBackgroundLaunch(options.isBackgroundLaunch) {
    m_preferences = std::make_unique<AppPreferences>(std::make_unique<PreferenceStore>(
        options.preferencesFile.isEmpty() ? PreferenceStore::defaultFilePath() : options.preferencesFile));

    // Opening the store loads the archive of the chosen protection mode.
    auto archive = std::make_unique<EncryptedArchiveStore>(
        options.archiveDirectory.isEmpty() ? EncryptedArchiveStore::defaultDirectory() : options.archiveDirectory,
        *m_platform.secrets);
    m_store = std::make_unique<ClipboardStore>(
        std::move(archive), protectionModeFromStoredValue(m_preferences->archiveProtectionModeID()), true);
    m_store->setHistoryLimitProvider([preferences = m_preferences.get()] { return preferences->historyLimit(); });

    // Slots for the image text recognition coordinator, the clipboard monitor and the clipboard actions: they are
    // created here, after the store and before the shortcut, once they exist.

    m_hotKey = std::make_unique<GlobalHotKey>(*m_platform.hotKeys, *m_platform.keystrokes, [this] { showPanel(); });
    m_shortcuts = std::make_unique<ShortcutCoordinator>(
        *m_hotKey, *m_preferences, *m_store, [this] { return m_platform.keystrokes->isAvailable(); },
        m_isBackgroundLaunch);
}

StowlineApplication::~StowlineApplication() = default;

QString StowlineApplication::launchAtLoginFailedMessage() {
    return QStringLiteral("Stowline could not update Open at Login. You can retry in Settings.");
}

void StowlineApplication::start() {
    reconcileLaunchAtLogin();
    m_shortcuts->start();
    // Slot: the clipboard monitor starts polling here.
    m_store->applyRetention(m_preferences->retentionDays());
    // Slot: image clips that need text recognition are queued here.
    if (!m_isBackgroundLaunch)
        showPanel();
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

void StowlineApplication::showPanel() {
    // Slot: the history window manager shows the panel here.
    ++m_panelRequestCount;
    Q_EMIT panelRequested();
}

void StowlineApplication::togglePanel() {
    // Until the panel exists it is never showing, so toggling shows it.
    showPanel();
}

void StowlineApplication::handle(const InstanceRequest& request, const SingleInstance::Responder& respond) {
    switch (request.command) {
    case InstanceCommand::show:
        showPanel();
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
    }
}

void StowlineApplication::quit(const SingleInstance::Responder& respond) {
    // Written before the answer, so the asker knows the history is on disk once it has it.
    m_store->flush();
    respond({0, QStringLiteral("Stowline has saved its history and quit.\n")});
    QMetaObject::invokeMethod(this, &StowlineApplication::quitRequested, Qt::QueuedConnection);
}

QString StowlineApplication::statusReport() const {
    const std::optional<HotKeyConfiguration>& shortcut = m_shortcuts->activeShortcut();
    QString report;
    report += u"pid=" + QString::number(QCoreApplication::applicationPid()) + u'\n';
    report += u"panelRequests=" + QString::number(m_panelRequestCount) + u'\n';
    report += u"shortcut=" + (shortcut ? shortcut->displayText : QString()) + u'\n';
    report += u"clips=" + QString::number(m_store->items().size()) + u'\n';
    report += u"lastError=" + m_store->lastError().value_or(QString()) + u'\n';
    return report;
}

} // namespace stowline
