#pragma once

#include "app/preferences/SettingsPane.h"
#include "app/ui/settings/SettingsContext.h"
#include "core/archive/ArchiveProtectionMode.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace stowline {

class GeneralSettingsPane;
class HistorySettingsPane;
class PrivacySettingsPane;
class SegmentedControl;
class ShortcutsSettingsPane;

// The content of the settings window: the pane selector, the four panes, the store's message, and the alerts
// (confirmations and failures) of what the panes start.
class SettingsView : public QWidget {
    Q_OBJECT

public:
    SettingsView(SettingsContext& context, SettingsPane initialPane, QWidget* parent = nullptr);

    static QString errorAlertTitle();
    static QString protectionFailedMessage();
    static QString clearAllTitle();
    static QString clearAllMessage();

    SettingsPane selectedPane() const { return m_selectedPane; }
    // As a click on the pane's segment does: remembered and announced.
    void selectPane(SettingsPane pane);

    // The alert on screen, if any.
    QMessageBox* alert() const { return m_alert; }
    // The failure the "Settings" alert shows, if any.
    const std::optional<QString>& launchError() const { return m_launchError; }
    void showAbout();

    SegmentedControl* paneSelector() const { return m_selector; }
    GeneralSettingsPane* generalPane() const { return m_general; }
    HistorySettingsPane* historyPane() const { return m_history; }
    PrivacySettingsPane* privacyPane() const { return m_privacy; }
    ShortcutsSettingsPane* shortcutsPane() const { return m_shortcuts; }
    QLabel* storeMessage() const { return m_storeMessage; }
    QPushButton* aboutButton() const { return m_aboutButton; }

Q_SIGNALS:
    void selectedPaneChanged(stowline::SettingsPane pane);

private:
    void showPane(SettingsPane pane);
    void showError(const QString& message);
    void confirmClearAll();
    void confirmKeyring();
    void changeProtection(ArchiveProtectionMode mode);
    void followStoreMessage();
    QMessageBox* makeAlert(const QString& title, const QString& message);
    void present(QMessageBox* alert);

    SettingsContext& m_context;
    SettingsPane m_selectedPane;
    SegmentedControl* m_selector;
    QLabel* m_storeMessage;
    QStackedWidget* m_stack;
    GeneralSettingsPane* m_general;
    HistorySettingsPane* m_history;
    PrivacySettingsPane* m_privacy;
    ShortcutsSettingsPane* m_shortcuts;
    QPushButton* m_aboutButton;
    QPointer<QMessageBox> m_alert;
    std::optional<QString> m_launchError;
};

} // namespace stowline
