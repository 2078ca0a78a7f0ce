#pragma once

#include "app/LaunchAtLoginManager.h"
#include "app/preferences/SettingsPane.h"
#include "app/ui/settings/SettingsContext.h"
#include "app/ui/widgets/WindowSize.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QWidget;

namespace stowline {

class AppPreferences;
class FloatingWindow;
class FloatingWindows;
class GlobalHotKey;
class HistoryPersistence;
class HistoryStore;
class Notices;
class SettingsView;

// Owns the one settings window: created on first use, hidden (never destroyed) when closed (also by Escape and
// Ctrl+W), its size remembered across launches, and given fresh content on the remembered pane at every `show`.
// Used on the GUI thread only.
class SettingsWindowManager : public QObject {
    Q_OBJECT

public:
    static constexpr WindowSize windowSize{{640, 580}, {600, 500}};
    // The preference key under which the window's frame is kept.
    static QString frameKey();
    static QString windowTitle(SettingsPane pane);

    // `reviewPermissions` opens the permission window. `hotKey` is released while the shortcut recorder listens.
    // Every reference must outlive this object.
    SettingsWindowManager(AppPreferences& preferences, HistoryStore& store, HistoryPersistence& persistence,
                          Notices& notices, LaunchAtLoginManager launchAtLogin, GlobalHotKey& hotKey,
                          std::function<void()> reviewPermissions, QObject* parent = nullptr);
    ~SettingsWindowManager() override;

    // With it the window is handed the keyboard although another application is in front (a window manager that
    // prevents focus stealing ignores a plain request). Must outlive this object.
    void setFloatingWindows(FloatingWindows* floatingWindows) { m_floatingWindows = floatingWindows; }

    // Brings the window forward on the pane last chosen.
    void show();
    // Null until the first `show`.
    QWidget* window() const;
    // The content shown now; null until the first `show`.
    SettingsView* view() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createWindow();
    void saveFrame();

    SettingsContext m_context;
    std::unique_ptr<FloatingWindow> m_window;
    QPointer<SettingsView> m_view;
    FloatingWindows* m_floatingWindows = nullptr;
};

} // namespace stowline
