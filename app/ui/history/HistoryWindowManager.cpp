#include "app/ui/history/HistoryWindowManager.h"

#include "app/actions/ClipboardActions.h"
#include "app/capture/ClipboardMonitor.h"
#include "app/notices/Notices.h"
#include "app/platform/FloatingWindows.h"
#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryStore.h"
#include "app/ui/editor/EditBeforeUseViewController.h"
#include "app/ui/editor/EditBeforeUseWindow.h"
#include "app/ui/history/HistoryView.h"
#include "app/ui/history/HistoryViewModel.h"
#include "core/detect/TextFormatDetector.h"
#include "core/support/AppIdentity.h"
#include "core/text/Utf8.h"

#include <QApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace stowline {

HistoryWindowManager::HistoryWindowManager(HistoryStore& store, Notices& notices, AppPreferences& preferences,
                                           ClipboardActions& actions, FrontmostApplication& frontmost,
                                           FloatingWindows& floatingWindows, TimerFactory timers, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_notices(notices)
    , m_preferences(preferences)
    , m_actions(actions)
    , m_frontmost(frontmost)
    , m_floatingWindows(floatingWindows)
    , m_viewModel(std::make_unique<HistoryViewModel>(store, timers))
    , m_editorManager(std::make_unique<EditBeforeUseWindowManager>(floatingWindows))
    , m_inactivityTimer(timers())
    , m_reinforceFirst(timers())
    , m_reinforceSecond(timers())
    , m_paste(timers()) {
    connect(m_inactivityTimer.get(), &OneShotTimer::timeout, this, &HistoryWindowManager::dismiss);
    connect(m_reinforceFirst.get(), &OneShotTimer::timeout, this, &HistoryWindowManager::reinforce);
    connect(m_reinforceSecond.get(), &OneShotTimer::timeout, this, &HistoryWindowManager::reinforce);
    connect(m_paste.get(), &OneShotTimer::timeout, this, [this] { (void)pasteInto(m_previousApp); });
    // A settings change takes effect at once while the panel is open.
    connect(&m_preferences, &AppPreferences::inactivityCloseEnabledChanged, this,
            &HistoryWindowManager::resetInactivityTimer);
    connect(&m_preferences, &AppPreferences::inactivitySecondsChanged, this,
            &HistoryWindowManager::resetInactivityTimer);
}

HistoryWindowManager::~HistoryWindowManager() {
    stopInactivityTracking();
    delete m_window.data();
}

HistoryView* HistoryWindowManager::view() const {
    return m_view;
}

bool HistoryWindowManager::isVisible() const {
    return m_window && m_window->isVisible();
}

bool HistoryWindowManager::isThisApplication(const RunningApplication& application) const {
    if (application.processIdentifier && *application.processIdentifier == QCoreApplication::applicationPid())
        return true;
    const std::optional<QString>& id = application.bundleIdentifier;
    return id == AppIdentity::applicationIdentifier() || id == AppIdentity::executableName();
}

void HistoryWindowManager::createWindow() {
    m_window = new FloatingWindow(FloatingWindow::Frame::floating, AppIdentity::applicationName(), windowSize);
    m_window->setObjectName(QStringLiteral("historyWindow"));
    connect(m_window, &FloatingWindow::closeRequested, this, &HistoryWindowManager::dismiss);
    // Activation and the activity that restarts the inactivity timer are read on the panel's own window.
    m_window->installEventFilter(this);
    m_window->windowHandle()->installEventFilter(this);

    HistoryViewCallbacks callbacks;
    QPointer<HistoryWindowManager> self(this);
    callbacks.onUse = [self](const ClipItem& item, RestoreForm form) {
        if (self)
            self->use(item, form);
    };
    callbacks.onEdit = [self](const ClipItem& item) {
        if (self)
            self->edit(item);
    };
    callbacks.onCopyRecognizedText = [self](const QString& text) {
        if (self)
            self->copyRecognizedText(text);
    };
    callbacks.onDismiss = [self] {
        if (self)
            self->dismiss();
    };
    callbacks.onSettings = [self] {
        if (self)
            self->showSettings();
    };
    m_view = new HistoryView(m_store, m_notices, m_preferences, *m_viewModel, std::move(callbacks));
    m_window->setContent(m_view);
}

void HistoryWindowManager::show(PanelState state) {
    if (m_hasShown && state == PanelState::reset)
        m_viewModel->resetInteraction();
    m_hasShown = true;

    const std::optional<RunningApplication> front = m_frontmost.frontmost();
    if (front && !isThisApplication(*front))
        m_previousApp = front;

    if (!m_window)
        createWindow();

    // Centred, and raised a little above the centre.
    m_window->centreOnPointerScreen(raiseAboveCentre);
    m_wasActivated = false;
    m_window->present(&m_floatingWindows);
    reinforceActivation();

    installActivityMonitor();
    resetInactivityTimer();
}

void HistoryWindowManager::toggle() {
    if (isVisible())
        dismiss();
    else
        show(PanelState::reset);
}

void HistoryWindowManager::bringForward() {
    if (!m_window || !m_window->isVisible())
        return;
    m_window->raise();
    m_window->activateWindow();
    if (QWindow* handle = m_window->windowHandle())
        m_floatingWindows.activate(*handle);
}

void HistoryWindowManager::reinforce() {
    syncActivation();
    // Once the panel had the keyboard, a later request would take it back from where the user went since.
    if (!isActive())
        bringForward();
}

void HistoryWindowManager::syncActivation() {
    // The toolkit misses the focus coming back to a window that was hidden while it had it, and then never
    // reports it active nor, later, its loss to another application; the display server knows better.
    QWindow* panel = m_window ? m_window->windowHandle() : nullptr;
    if (!panel || !isVisible() || m_window->isActiveWindow() || !m_floatingWindows.hasKeyboardFocus(*panel))
        return;
    QApplication::setActiveWindow(m_window);
}

void HistoryWindowManager::reinforceActivation() {
    // Window managers may still be settling the previous application's focus; asking twice more wins.
    m_reinforceFirst->start(reinforceFirstMilliseconds);
    m_reinforceSecond->start(reinforceSecondMilliseconds);
}

void HistoryWindowManager::hideSteps() {
    // The view stays in the window with its caches; only the window leaves the screen.
    if (m_window)
        m_window->hide();
    m_reinforceFirst->stop();
    m_reinforceSecond->stop();
    stopInactivityTracking();
}

void HistoryWindowManager::dismiss() {
    hideSteps();
    if (m_previousApp && !m_frontmost.isTerminated(*m_previousApp))
        m_frontmost.activate(*m_previousApp);
}

void HistoryWindowManager::use(const ClipItem& item, RestoreForm form) {
    if (!m_actions.restore(item, form)) {
        QApplication::beep();
        return;
    }
    m_store.use(item.id());
    pasteAfterDismiss(m_preferences.instantPaste() && m_actions.accessibilityGranted());
}

void HistoryWindowManager::pasteAfterDismiss(bool paste) {
    m_notices.withdraw(UserMessage::Kind::pasteRefused);
    dismiss();
    if (paste)
        m_paste->start(pasteDelayMilliseconds);
}

bool HistoryWindowManager::pasteInto(const std::optional<RunningApplication>& target) {
    QPointer<HistoryWindowManager> self(this);
    return m_actions.postPasteKeystroke({target ? target->window : 0, [self, target] {
                                             if (self)
                                                 self->pasteRefused(target);
                                         }});
}

void HistoryWindowManager::pasteRefused(const std::optional<RunningApplication>& target) {
    if (target)
        m_notices.post(Notice::pasteRefused,
                       {target->localizedName.value_or(QStringLiteral("the window you came from"))});
    else
        m_notices.post(Notice::pasteTargetUnknown);
    qInfo().noquote() << "Stowline:" << m_notices.current()->text;
    QApplication::beep();
}

void HistoryWindowManager::edit(const ClipItem& item) {
    if (!isEditable(item.kind())) {
        QApplication::beep();
        return;
    }
    const auto plain =
        std::find_if(item.representations().cbegin(), item.representations().cend(),
                     [](const ClipRepresentation& r) { return r.typeIdentifier == TypeIdentifier::plainText; });
    const std::optional<QString> text =
        plain == item.representations().cend() ? std::nullopt : Utf8::decode(plain->data);
    if (!text) {
        QApplication::beep();
        return;
    }
    m_isOpeningEditor = true;
    hideSteps();
    const TextContentFormat format = item.textFormat().value_or(TextFormatDetector::detect(*text));
    QPointer<HistoryWindowManager> self(this);
    m_editorManager->show(
        *text, item.title(), format,
        [self, id = item.id()](const QString& draft) {
            if (self)
                self->finishEditing(id, draft);
        },
        [self] {
            if (self)
                self->show(PanelState::preserved);
        });
    m_isOpeningEditor = false;
}

void HistoryWindowManager::finishEditing(const QUuid& id, const QString& draft) {
    if (!m_actions.copyEditedText(draft)) {
        QApplication::beep();
        show(PanelState::reset);
        return;
    }
    // Only the edited text goes to the clipboard; the stored clip stays as it was.
    m_store.use(id);
    pasteAfterDismiss(m_preferences.instantPaste() && m_actions.accessibilityGranted());
}

void HistoryWindowManager::copyRecognizedText(const QString& text) {
    if (!m_actions.copyRecognizedText(text))
        QApplication::beep();
}

void HistoryWindowManager::showSettings() {
    hideSteps();
    if (m_settings.show)
        m_settings.show();
}

bool HistoryWindowManager::settingsVisible() const {
    QWidget* window = m_settings.window ? m_settings.window() : nullptr;
    return window && window->isVisible();
}

void HistoryWindowManager::resignedKey() {
    if (!isVisible())
        return;
    // Only a loss to another application counts as a click elsewhere; the editor and the settings take the
    // focus from the panel on purpose. While the window manager moves or resizes the panel it grabs the keyboard,
    // which the toolkit reports as a loss, though the focus stays with the panel.
    if (QGuiApplication::focusWindow() != nullptr || m_isOpeningEditor || m_editorManager->isVisible() ||
        settingsVisible() || m_floatingWindows.hasKeyboardFocus(*m_window->windowHandle()))
        return;
    dismiss();
}

void HistoryWindowManager::installActivityMonitor() {
    m_activityMonitor = true;
}

bool HistoryWindowManager::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (watched == m_window.data())
            m_wasActivated = true;
        break;
    case QEvent::WindowDeactivate:
        // Decided once the focus has settled: another of this application's windows may be taking it.
        if (watched == m_window.data())
            QMetaObject::invokeMethod(this, &HistoryWindowManager::resignedKey, Qt::QueuedConnection);
        break;
    case QEvent::Expose: {
        // A busy window manager may map the panel after both reinforcing requests; once it shows, it is asked
        // again for the keyboard.
        QWindow* panel = m_window ? m_window->windowHandle() : nullptr;
        if (watched == panel && panel->isExposed()) {
            syncActivation();
            if (!isActive())
                m_floatingWindows.activate(*panel);
        }
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        // Every input of the panel passes its window first; the application's other windows are not watched.
        if (m_activityMonitor && m_window && watched == m_window->windowHandle())
            resetInactivityTimer();
        break;
    default:
        break;
    }
    return false;
}

void HistoryWindowManager::resetInactivityTimer() {
    m_inactivityTimer->stop();
    if (!isVisible() || !m_preferences.inactivityCloseEnabled())
        return;
    const double seconds = std::max(m_preferences.inactivitySeconds(), 1.0);
    m_inactivityTimer->start(int(std::min(seconds * 1000.0, double(std::numeric_limits<int>::max()))));
}

void HistoryWindowManager::stopInactivityTracking() {
    m_inactivityTimer->stop();
    m_activityMonitor = false;
}

} // namespace stowline
