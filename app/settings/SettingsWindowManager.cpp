#include "app/settings/SettingsWindowManager.h"

#include "app/platform/FloatingWindows.h"
#include "app/preferences/AppPreferences.h"
#include "app/settings/SettingsView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

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
    m_window = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                                      Qt::WindowMaximizeButtonHint);
    m_window->setObjectName(frameKey());
    m_window->setWindowTitle(u"Stowline Settings"_s);
    m_window->setAccessibleName(u"Stowline Settings"_s);
    windowSize.applyTo(*m_window);
    if (const std::optional<QByteArray> frame = m_context.preferences.defaults().data(frameKey()))
        m_window->restoreGeometry(*frame);
    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    m_window->installEventFilter(this);
}

void SettingsWindowManager::show() {
    if (!m_window)
        createWindow();
    const SettingsPane pane =
        fromRawValue<SettingsPane>(m_context.preferences.selectedSettingsTabID()).value_or(SettingsPane::general);
    delete m_view;
    m_view = new SettingsView(m_context, pane, m_window.get());
    m_window->layout()->addWidget(m_view);
    QPointer<QWidget> window = m_window.get();
    connect(m_view, &SettingsView::selectedPaneChanged, m_view, [window](SettingsPane selected) {
        if (window)
            window->setWindowTitle(windowTitle(selected));
    });
    m_window->setWindowTitle(windowTitle(pane));

    // Centred on the screen in use, at the size the user left it.
    if (QScreen* screen = m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen()) {
        QRect frame = m_window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_window->move(frame.topLeft());
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (m_floatingWindows && m_window->windowHandle())
        m_floatingWindows->activate(*m_window->windowHandle());
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
