#include "tests/app/settings/SettingsFixture.h"

#include "app/settings/SettingsView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

using namespace Qt::StringLiterals;

namespace stowline::test {

SettingsFixture::SettingsFixture() {
    relaunch();
}

SettingsFixture::~SettingsFixture() {
    settings.reset();
    applyAppearance(false);
}

void SettingsFixture::relaunch() {
    settings.reset();
    shortcuts.reset();
    hotKey.reset();
    store.reset();
    preferences.reset();
    preferences = std::make_unique<AppPreferences>(std::make_unique<PreferenceStore>(dir.filePath(u"Stowline.conf"_s)));
    store =
        std::make_unique<ClipboardStore>(std::make_unique<EncryptedArchiveStore>(dir.path(), secrets),
                                         protectionModeFromStoredValue(preferences->archiveProtectionModeID()), true);
    store->flush();
    hotKey = std::make_unique<GlobalHotKey>(hotKeys, accessibility, [] {});
    shortcuts = std::make_unique<ShortcutCoordinator>(
        *hotKey, *preferences, *store, [this] { return accessibility.isAvailable(); }, true);
    shortcuts->start();
    settings = std::make_unique<SettingsWindowManager>(*preferences, *store, LaunchAtLoginManager(loginItem), *hotKey,
                                                       [this] { ++reviewCount; });
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

void SettingsFixture::screenshot(QWidget& widget, const QString& name) {
    saveScreenshot(widget, name);
}

void applyAppearance(bool dark) {
    QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
    QPalette palette = QApplication::style()->standardPalette();
    if (dark) {
        palette.setColor(QPalette::Window, QColor(0x1E, 0x1F, 0x22));
        palette.setColor(QPalette::WindowText, QColor(0xEC, 0xEC, 0xEE));
        palette.setColor(QPalette::Base, QColor(0x2A, 0x2B, 0x2F));
        palette.setColor(QPalette::AlternateBase, QColor(0x32, 0x33, 0x38));
        palette.setColor(QPalette::Text, QColor(0xEC, 0xEC, 0xEE));
        palette.setColor(QPalette::Button, QColor(0x34, 0x35, 0x3A));
        palette.setColor(QPalette::ButtonText, QColor(0xEC, 0xEC, 0xEE));
        palette.setColor(QPalette::PlaceholderText, QColor(0x9A, 0x9B, 0xA3));
        palette.setColor(QPalette::Mid, QColor(0x45, 0x46, 0x4C));
        palette.setColor(QPalette::Highlight, QColor(0x3D, 0x7E, 0xE8));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x70, 0x71, 0x78));
        palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x71, 0x78));
        palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x70, 0x71, 0x78));
    }
    QApplication::setPalette(palette);
}

} // namespace stowline::test
