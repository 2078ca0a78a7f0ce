#pragma once

#include "app/notices/Notices.h"
#include "app/platform/fake/FakeHotKeyService.h"
#include "app/platform/fake/FakeKeystrokePoster.h"
#include "app/platform/fake/FakeLoginItem.h"
#include "app/platform/fake/FakeSecretStore.h"
#include "app/preferences/AppPreferences.h"
#include "app/shortcut/GlobalHotKey.h"
#include "app/shortcut/ShortcutCoordinator.h"
#include "app/store/HistoryPersistence.h"
#include "app/store/HistoryStore.h"
#include "app/ui/settings/SettingsWindowManager.h"

#include <QMessageBox>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace stowline::test {

// The settings window over real preferences and a real store in a temporary folder, with the shortcut wired as
// start-up wires it, and fake login entry, keyring and key grabs.
class SettingsFixture : public ::testing::Test {
protected:
    SettingsFixture();
    ~SettingsFixture() override;

    // A later launch: everything built again over the same files.
    void relaunch();
    SettingsView& view();
    // The alert on screen; fails the test when there is none.
    QMessageBox& alert();
    void clickAlertButton(const QString& text);

    QTemporaryDir dir;
    FakeSecretStore secrets;
    FakeHotKeyService hotKeys;
    FakeKeystrokePoster accessibility;
    FakeLoginItem loginItem;
    int reviewCount = 0;
    std::unique_ptr<AppPreferences> preferences;
    Notices notices;
    std::unique_ptr<HistoryStore> store;
    std::unique_ptr<HistoryPersistence> persistence;
    std::unique_ptr<GlobalHotKey> hotKey;
    std::unique_ptr<ShortcutCoordinator> shortcuts;
    std::unique_ptr<SettingsWindowManager> settings;
};

} // namespace stowline::test
