#include "app/tray/StatusMenuController.h"

#include "app/preferences/AppPreferences.h"
#include "app/store/HistoryStore.h"

#include <QAction>
#include <QCursor>
#include <QDebug>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

namespace stowline {

namespace {

QIcon trayIconFor(bool captureEnabled) {
    return QIcon(captureEnabled ? QStringLiteral(":/icons/tray-capturing.svg")
                                : QStringLiteral(":/icons/tray-paused.svg"));
}

} // namespace

QString StatusMenuController::capturingDescription() {
    return QStringLiteral("Stowline is capturing");
}

QString StatusMenuController::pausedDescription() {
    return QStringLiteral("Stowline capture is paused");
}

StatusMenuController::StatusMenuController(AppPreferences& preferences, HistoryStore& store, Callbacks callbacks,
                                           QObject* parent)
    : QObject(parent), m_preferences(preferences), m_store(store), m_callbacks(std::move(callbacks)) {
    updateIcon(m_preferences.captureEnabled());
    connect(&m_preferences, &AppPreferences::captureEnabledChanged, this, &StatusMenuController::updateIcon);
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this, &StatusMenuController::activate);

    m_trayCheck.setInterval(trayCheckIntervalMs);
    connect(&m_trayCheck, &QTimer::timeout, this, &StatusMenuController::showWhenTrayExists);
    showWhenTrayExists();
}

StatusMenuController::~StatusMenuController() = default;

void StatusMenuController::updateIcon(bool captureEnabled) {
    m_trayIcon.setIcon(trayIconFor(captureEnabled));
    m_trayIcon.setToolTip(captureEnabled ? capturingDescription() : pausedDescription());
}

void StatusMenuController::showWhenTrayExists() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!m_reportedMissingTray) {
            m_reportedMissingTray = true;
            qInfo("Stowline: no system tray yet; the panel opens with the shortcut or `stowline show`, and the tray "
                  "icon appears once a tray does.");
        }
        m_trayCheck.start();
        return;
    }
    m_trayCheck.stop();
    m_trayIcon.show();
}

void StatusMenuController::activate(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Context:
        showMenu(QCursor::pos());
        return;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::DoubleClick:
    case QSystemTrayIcon::MiddleClick:
    case QSystemTrayIcon::Unknown:
        if (m_callbacks.openHistory)
            m_callbacks.openHistory();
        return;
    }
}

void StatusMenuController::showMenu(const QPoint& position) {
    // A fresh menu every time, so its texts always match the current state.
    m_menu = std::make_unique<QMenu>();
    QMenu* menu = m_menu.get();
    menu->setAccessibleName(QStringLiteral("Stowline"));

    connect(menu->addAction(QStringLiteral("Open Stowline")), &QAction::triggered, this, [this] {
        if (m_callbacks.openHistory)
            m_callbacks.openHistory();
    });
    const bool capturing = m_preferences.captureEnabled();
    connect(menu->addAction(capturing ? QStringLiteral("Pause Capture") : QStringLiteral("Resume Capture")),
            &QAction::triggered, this, [this] { m_preferences.setCaptureEnabled(!m_preferences.captureEnabled()); });
    menu->addSeparator();
    QAction* settings = menu->addAction(QStringLiteral("Settings\u2026"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settings, &QAction::triggered, this, [this] {
        if (m_callbacks.openSettings)
            m_callbacks.openSettings();
    });
    connect(menu->addAction(QStringLiteral("Clear Non-Favorites")), &QAction::triggered, this,
            &StatusMenuController::clearNonFavorites);
    menu->addSeparator();
    QAction* quit = menu->addAction(QStringLiteral("Quit Stowline"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, [this] {
        if (m_callbacks.quit)
            m_callbacks.quit();
    });

    menu->popup(position);
}

void StatusMenuController::clearNonFavorites() {
    // A click in a menu is easily made by mistake, and what it removes cannot be brought back: asked first, as
    // the settings ask.
    if (m_clearAlert) {
        m_clearAlert->raise();
        return;
    }
    auto* alert = new QMessageBox(QMessageBox::Warning, QStringLiteral("Clear Non-Favorites"),
                                  QStringLiteral("Clear all clips except favorites?"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setInformativeText(QStringLiteral("Favorites stay. This cannot be undone."));
    QPushButton* cancel = alert->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    QPushButton* clear = alert->addButton(QStringLiteral("Clear Non-Favorites"), QMessageBox::DestructiveRole);
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    connect(clear, &QPushButton::clicked, this, [this] { m_store.clear(ClearScope::keepingFavorites); });
    m_clearAlert = alert;
    alert->show();
    alert->raise();
    alert->activateWindow();
}

} // namespace stowline
