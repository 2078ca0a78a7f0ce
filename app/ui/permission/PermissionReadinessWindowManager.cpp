#include "app/ui/permission/PermissionReadinessWindowManager.h"

#include "app/actions/ClipboardActions.h"
#include "app/preferences/AppPreferences.h"
#include "app/preferences/PreferenceKeys.h"
#include "app/ui/permission/DesktopReadinessSection.h"
#include "app/ui/permission/PermissionReadinessView.h"
#include "core/permission/PermissionReadinessPolicy.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace stowline {

namespace K = PreferenceKeys;

PermissionReadinessWindow::PermissionReadinessWindow(QWidget* parent)
    : FloatingWindow(Frame::titled, PermissionReadinessWindowManager::windowTitle(), {fixedSize, fixedSize},
                     CloseKeys::escapeAndCtrlW, parent) {
    setFixedSize(fixedSize);
}

void PermissionReadinessWindow::setView(PermissionReadinessView* view) {
    setContent(view);
    const int wanted = view->hasHeightForWidth() ? view->heightForWidth(fixedSize.width()) : 0;
    setFixedSize(fixedSize.width(), std::max(fixedSize.height(), wanted));
}

PermissionReadinessView* PermissionReadinessWindow::view() const {
    return qobject_cast<PermissionReadinessView*>(content());
}

PermissionReadinessWindowManager::PermissionReadinessWindowManager(AppPreferences& preferences,
                                                                   ClipboardActions& actions,
                                                                   std::function<void()> onAccessibilityGranted,
                                                                   std::function<void()> onPermissionDeclined,
                                                                   QObject* parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_actions(actions)
    , m_onAccessibilityGranted(std::move(onAccessibilityGranted))
    , m_onPermissionDeclined(std::move(onPermissionDeclined)) {}

PermissionReadinessWindowManager::~PermissionReadinessWindowManager() = default;

QString PermissionReadinessWindowManager::windowTitle() {
    return QStringLiteral("Finish setting up Stowline");
}

PermissionReadinessRequirements PermissionReadinessWindowManager::requirements() const {
    return PermissionReadinessPolicy::requirements(m_preferences.instantPaste(),
                                                   m_preferences.shortcut().requiresAccessibilityInterception());
}

bool PermissionReadinessWindowManager::showIfNeeded(Showing showing, std::function<void()> completion) {
    const PermissionReadinessRequirements needed = requirements();
    const std::optional<QString> signature = needed.signature();
    m_preferences.notePermissionRequirements(signature);
    const bool missing = needed.requiresAccessibility() && !m_actions.refreshAccessibility() && signature;
    if (!missing && showing != Showing::review) {
        close(m_actions.accessibilityGranted());
        return false;
    }
    if (showing == Showing::unlessDismissed &&
        m_preferences.defaults().string(K::dismissedPermissionSignature) == signature)
        return false;

    m_reviewOnly = !missing;
    if (missing)
        m_requestState.present(false);
    m_completion = std::move(completion);

    if (!m_window) {
        m_window = std::make_unique<PermissionReadinessWindow>();
        // The close button declines an open request; otherwise the window stays.
        connect(m_window.get(), &FloatingWindow::closeRequested, this, &PermissionReadinessWindowManager::notNow);
    }
    QPointer<PermissionReadinessWindowManager> self(this);
    PermissionReadinessView::Callbacks callbacks{
        .isAccessibilityGranted = [self] { return self && self->m_actions.refreshAccessibility(); },
        .requestAccessibility =
            [self] {
                if (!self)
                    return;
                // The desktop has no prompt to raise: asking again is all a request can do here.
                self->m_requestState.beginSystemRequest();
                self->m_actions.refreshAccessibility();
            },
        .permissionGranted =
            [self] {
                if (self)
                    self->close(true);
            },
        .notNow =
            [self] {
                if (self)
                    self->notNow();
            },
        .reviewOnly = m_reviewOnly,
    };
    DesktopReadinessSection* desktop = nullptr;
    if (const std::optional<DesktopFacts> facts = m_desktopFacts ? m_desktopFacts() : std::nullopt) {
        desktop = new DesktopReadinessSection(
            DesktopReadiness::rows(*facts),
            {.copyText = [self](const QString& text) { return self && self->m_actions.copyRecognizedText(text); },
             .createShortcut = m_createShortcut});
    }
    m_window->setView(new PermissionReadinessView(needed, std::move(callbacks), desktop));
    m_window->centreOnPointerScreen();
    m_window->present(nullptr);
    return true;
}

void PermissionReadinessWindowManager::setDesktopFacts(DesktopFactsSource facts, std::function<void()> createShortcut) {
    m_desktopFacts = std::move(facts);
    m_createShortcut = std::move(createShortcut);
}

void PermissionReadinessWindowManager::notNow() {
    if (m_reviewOnly) {
        close(m_actions.accessibilityGranted());
        return;
    }
    if (m_requestState.declineExplicitly() != PermissionRequestEffect::rollback)
        return;
    if (m_onPermissionDeclined)
        m_onPermissionDeclined();
    close(false);
}

void PermissionReadinessWindowManager::configurationDidChange() {
    const PermissionReadinessRequirements needed = requirements();
    const std::optional<QString> dismissed = m_preferences.defaults().string(K::dismissedPermissionSignature);
    m_preferences.notePermissionRequirements(needed.signature());
    if (needed.requiresAccessibility() && !m_actions.accessibilityGranted()) {
        if (isWindowVisible()) {
            // Rebuilt for the new requirements, keeping whoever waits for the window to close.
            showIfNeeded(Showing::forced, std::move(m_completion));
            return;
        }
        if (dismissed == needed.signature())
            return;
        showIfNeeded(Showing::unlessDismissed);
        return;
    }
    close(m_actions.accessibilityGranted());
}

void PermissionReadinessWindowManager::close(bool granted) {
    if (!isWindowVisible() && !m_completion)
        return;
    if (m_window)
        m_window->hide();
    // A review answered no request: nothing waits to go live.
    if (granted && !std::exchange(m_reviewOnly, false)) {
        m_preferences.defaults().remove(K::dismissedPermissionSignature);
        if (m_onAccessibilityGranted)
            m_onAccessibilityGranted();
    }
    m_requestState.reset();
    if (std::function<void()> completion = std::exchange(m_completion, {}))
        completion();
}

} // namespace stowline
