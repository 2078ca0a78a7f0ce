#pragma once

#include "app/LaunchAtLoginManager.h"

#include <QCheckBox>
#include <QObject>

#include <functional>

namespace stowline {

class AppPreferences;
class GlobalHotKey;
class HistoryPersistence;
class HistoryStore;
class Notices;

// What the settings window works on; every reference outlives the window.
struct SettingsContext {
    AppPreferences& preferences;
    HistoryStore& store;
    HistoryPersistence& persistence;
    Notices& notices;
    LaunchAtLoginManager launchAtLogin;
    GlobalHotKey& hotKey;
    std::function<void()> reviewPermissions;
};

// A switch with its text, which is also its accessible name.
inline QCheckBox* makeToggle(const QString& text, QWidget* parent) {
    auto* toggle = new QCheckBox(text, parent);
    toggle->setAccessibleName(text);
    return toggle;
}

// Keeps a switch in step with a boolean preference both ways: the user's clicks write it, changes made elsewhere
// move the switch.
template <typename Object, typename Signal>
void bindToggle(QCheckBox* toggle, Object& object, bool (Object::*get)() const, void (Object::*set)(bool),
                Signal changed) {
    toggle->setChecked((object.*get)());
    QObject::connect(toggle, &QCheckBox::clicked, toggle, [&object, set](bool on) { (object.*set)(on); });
    QObject::connect(&object, changed, toggle, [toggle, &object, get] { toggle->setChecked((object.*get)()); });
}

} // namespace stowline
