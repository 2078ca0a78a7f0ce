#include "tests/app/settings/SettingsFixture.h"

#include "app/ui/settings/SettingsView.h"

#include <QAbstractButton>
#include <QApplication>

using namespace Qt::StringLiterals;

namespace stowline::test {

SettingsFixture::SettingsFixture() {
    relaunch();
}

SettingsFixture::~SettingsFixture() {
    settings.reset();
}

void SettingsFixture::relaunch() {
    settings.reset();
    shortcuts.reset();
    hotKey.reset();
    persistence.reset();
    store.reset();
    preferences.reset();
    preferences = std::make_unique<AppPreferences>(std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s)));
    store = std::make_unique<HistoryStore>();
    persistence = std::make_unique<HistoryPersistence>(
        *store, notices, std::make_unique<EncryptedArchiveStore>(dir.path(), secrets),
        protectionModeFromStoredValue(preferences->archiveProtectionModeID()));
    persistence->flush();
    hotKey = std::make_unique<GlobalHotKey>(hotKeys, accessibility, [] {});
    shortcuts = std::make_unique<ShortcutCoordinator>(
        *hotKey, *preferences, notices, [this] { return accessibility.isAvailable(); }, true);
    shortcuts->start();
    settings =
        std::make_unique<SettingsWindowManager>(*preferences, *store, *persistence, notices,
                                                LaunchAtLoginManager(loginItem), *hotKey, [this] { ++reviewCount; });
}

SettingsView& SettingsFixture::view() {
    if (!settings->view())
        settings->show();
    return *settings->view();
}

QMessageBox& SettingsFixture::alert() {
    QMessageBox* box = settings->view() ? settings->view()->alert() : nullptr;
    if (!box || !box->isVisible())
        throw std::runtime_error("no alert on screen");
    return *box;
}

void SettingsFixture::clickAlertButton(const QString& text) {
    for (QAbstractButton* button : alert().buttons()) {
        if (button->text() == text) {
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no button " << text.toStdString();
}

} // namespace stowline::test
