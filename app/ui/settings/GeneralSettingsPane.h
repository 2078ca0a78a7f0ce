#pragma once

#include "app/ui/settings/SettingsContext.h"

#include <QWidget>

class QCheckBox;
class QLabel;

namespace stowline {

class ExactPositiveIntegerField;
class SegmentedControl;

// Appearance, capture, launch at login and the panel's inactivity close.
class GeneralSettingsPane : public QWidget {
    Q_OBJECT

public:
    GeneralSettingsPane(SettingsContext& context, QWidget* parent = nullptr);

    static QString launchFailedMessage();

    SegmentedControl* appearancePicker() const { return m_appearance; }
    QCheckBox* launchAtLoginToggle() const { return m_launchAtLogin; }
    QCheckBox* inactivityToggle() const { return m_inactivity; }
    ExactPositiveIntegerField* minutesField() const { return m_minutes; }

Q_SIGNALS:
    // An operation failed; the text is for the user.
    void failed(const QString& message);

private:
    void launchAtLoginClicked(bool enabled);
    void showAppearanceNote();

    SettingsContext& m_context;
    SegmentedControl* m_appearance;
    QLabel* m_appearanceNote;
    QCheckBox* m_launchAtLogin;
    QCheckBox* m_inactivity;
    ExactPositiveIntegerField* m_minutes;
};

} // namespace stowline
