#include "app/ui/settings/SettingsWindowManager.h"

#include "app/platform/FloatingWindows.h"
#include "app/preferences/AppPreferences.h"
#include "app/ui/settings/SettingsView.h"
#include "app/ui/widgets/FloatingWindow.h"

#include <QEvent>

using namespace Qt::StringLiterals;

namespace stowline {

QString SettingsWindowManager::frameKey() {
    return u"StowlineSettingsWindow"_s;
}

QString SettingsWindowManager::windowTitle(SettingsPane pane) {
    return title(pane) + u" \u2014 Stowline Settings"_s;
}

SettingsWindowManager::SettingsWindowManager(AppPreferences& preferences, HistoryStore& store,
                                             HistoryPersistence& persistence, Notices& notices,
                                             LaunchAtLoginManager launchAtLogin, GlobalHotKey& hotKey,
                                             std::function<void()> reviewPermissions, QObject* parent)
    : QObject(parent)
    , m_context{preferences, store, persistence, notices, launchAtLogin, hotKey, std::move(reviewPermissions)} {}

SettingsWindowManager::~SettingsWindowManager() {
    if (m_window && m_window->isVisible())
        saveFrame();
    // The content goes first: it still uses the context this object holds.
    m_window.reset();
}

QWidget* SettingsWindowManager::window() const {
    return m_window.get();
}

SettingsView* SettingsWindowManager::view() const {
    return m_view;
}

void SettingsWindowManager::createWindow() {
    m_window = std::make_unique<FloatingWindow>(FloatingWindow::Frame::titled, u"Stowline Settings"_s, windowSize,
                                                FloatingWindow::CloseKeys::escapeAndCtrlW);
    m_window->setObjectName(frameKey());
    if (const std::optional<QByteArray> frame = m_context.preferences.defaults().data(frameKey()))
        m_window->restoreGeometry(*frame);
    connect(m_window.get(), &FloatingWindow::closeRequested, m_window.get(), &QWidget::hide);
    m_window->installEventFilter(this);
}

void SettingsWindowManager::show() {
    if (!m_window)
        createWindow();
    const SettingsPane pane =
        fromRawValue<SettingsPane>(m_context.preferences.selectedSettingsTabID()).value_or(SettingsPane::general);
    m_view = new SettingsView(m_context, pane);
    m_window->setContent(m_view);
    QPointer<QWidget> window = m_window.get();
    connect(m_view, &SettingsView::selectedPaneChanged, m_view, [window](SettingsPane selected) {
        if (window)
            window->setWindowTitle(windowTitle(selected));
    });
    m_window->setWindowTitle(windowTitle(pane));

    // Centred on the screen in use, at the size the user left it.
    m_window->centreOnPointerScreen();
    m_window->present(m_floatingWindows);
}

bool SettingsWindowManager::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window.get() && (event->type() == QEvent::Hide || event->type() == QEvent::Close))
        saveFrame();
    return QObject::eventFilter(watched, event);
}

void SettingsWindowManager::saveFrame() {
    m_context.preferences.defaults().setData(frameKey(), m_window->saveGeometry());
}

} // namespace stowline
