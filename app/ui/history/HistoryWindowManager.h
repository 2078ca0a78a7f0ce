#pragma once

#include "app/actions/ClipboardActions.h"
#include "app/concurrency/OneShotTimer.h"
#include "app/platform/FrontmostApplication.h"
#include "app/ui/widgets/FloatingWindow.h"
#include "app/ui/widgets/WindowSize.h"
#include "core/model/ClipItem.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class QWindow;

namespace stowline {

class AppPreferences;
class ClipboardActions;
class EditBeforeUseWindowManager;
class FloatingWindows;
class HistoryStore;
class HistoryView;
class HistoryViewModel;
class Notices;

// Owns the floating history panel: creates its window and its history view once and keeps both (with the view's
// caches) for the life of the process, brings it in front and gives it the keyboard, remembers the application that was
// in front, and hides the panel again when a clip is used, on Escape, on a click elsewhere or after the configured
// inactivity. Using a clip puts it on the clipboard, marks it used, returns to the previous application and, with
// instant paste, pastes there 0.14 s after the panel hid. Edits go through the edit-before-use window and back. GUI
// thread only.
class HistoryWindowManager : public QObject {
    Q_OBJECT

public:
    static constexpr int reinforceFirstMilliseconds = 10;
    static constexpr int reinforceSecondMilliseconds = 80;
    static constexpr int pasteDelayMilliseconds = 140;
    static constexpr int raiseAboveCentre = 35;
    static constexpr WindowSize windowSize{{720, 560}, {680, 500}};

    // The settings window as the panel uses it; the start-up sets it once the settings exist. The functions hold
    // the settings weakly, so they may find it gone.
    struct SettingsAccess {
        std::function<void()> show;
        std::function<QWidget*()> window;
    };

    HistoryWindowManager(HistoryStore& store, Notices& notices, AppPreferences& preferences, ClipboardActions& actions,
                         FrontmostApplication& frontmost, FloatingWindows& floatingWindows,
                         TimerFactory timers = systemTimers(), QObject* parent = nullptr);
    ~HistoryWindowManager() override;

    // Returning from the editor keeps the search, filter and selection; every other showing after the first starts
    // afresh.
    enum class PanelState { reset, preserved };
    // Brings the panel forward.
    void show(PanelState state);
    // Hides the panel when it is visible, and shows it otherwise.
    void toggle();
    // The hide steps, then back to the previous application when it still runs.
    void dismiss();
    // Pastes into the application's window only while it is still the active one when the keystroke goes out;
    // otherwise the clip stays on the clipboard and the user is told why. False when nothing could be posted.
    bool pasteInto(const std::optional<RunningApplication>& target);
    bool isVisible() const;
    // Visible and given the keyboard during this showing.
    bool isActive() const { return isVisible() && (m_wasActivated || m_window->isActiveWindow()); }

    // Null until the first showing.
    FloatingWindow* window() const { return m_window; }
    HistoryView* view() const;
    const std::optional<RunningApplication>& previousApp() const { return m_previousApp; }
    HistoryViewModel& viewModel() { return *m_viewModel; }
    EditBeforeUseWindowManager& editorManager() { return *m_editorManager; }
    void setSettingsManager(SettingsAccess settings) { m_settings = std::move(settings); }
    void stopInactivityTracking();

    // The view's intentions, reachable for tests as the panel's keys and clicks reach them.
    void use(const ClipItem& item, RestoreForm form);
    void edit(const ClipItem& item);
    void copyRecognizedText(const QString& text);
    void showSettings();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isThisApplication(const RunningApplication& application) const;
    void createWindow();
    void hideSteps();
    void finishEditing(const QUuid& id, const QString& draft);
    void pasteAfterDismiss(bool paste);
    void pasteRefused(const std::optional<RunningApplication>& target);
    void bringForward();
    void reinforceActivation();
    void reinforce();
    void syncActivation();
    void installActivityMonitor();
    void resetInactivityTimer();
    // The panel lost the keyboard: dismissed when it went to another application.
    void resignedKey();
    bool settingsVisible() const;

    HistoryStore& m_store;
    Notices& m_notices;
    AppPreferences& m_preferences;
    ClipboardActions& m_actions;
    FrontmostApplication& m_frontmost;
    FloatingWindows& m_floatingWindows;
    std::unique_ptr<HistoryViewModel> m_viewModel;
    SettingsAccess m_settings;
    std::unique_ptr<EditBeforeUseWindowManager> m_editorManager;
    std::optional<RunningApplication> m_previousApp;
    QPointer<FloatingWindow> m_window;
    QPointer<HistoryView> m_view;
    std::unique_ptr<OneShotTimer> m_inactivityTimer;
    std::unique_ptr<OneShotTimer> m_reinforceFirst;
    std::unique_ptr<OneShotTimer> m_reinforceSecond;
    std::unique_ptr<OneShotTimer> m_paste;
    bool m_activityMonitor = false;
    bool m_isOpeningEditor = false;
    bool m_hasShown = false;
    // The panel became active during this showing.
    bool m_wasActivated = false;
};

} // namespace stowline
