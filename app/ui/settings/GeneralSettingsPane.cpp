#include "app/ui/settings/GeneralSettingsPane.h"

#include "app/preferences/AppPreferences.h"
#include "app/preferences/PreferenceKeys.h"
#include "app/ui/settings/NumericPreferenceField.h"
#include "app/ui/settings/SettingsSection.h"
#include "app/ui/style/PlatformWording.h"
#include "app/ui/widgets/SegmentedControl.h"

#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

qint64 minutesShown(double seconds) {
    // The largest double below 2^63: a stored 19-digit number of minutes rounds to it instead of overflowing.
    constexpr double largestMinutes = 9223372036854774784.0;
    const double minutes = seconds / 60.0;
    if (!(minutes < largestMinutes))
        return std::numeric_limits<qint64>::max();
    return std::max<qint64>(1, std::llround(std::max(minutes, 0.0)));
}

} // namespace

QString GeneralSettingsPane::launchFailedMessage() {
    return u"Stowline could not update the login item."_s;
}

GeneralSettingsPane::GeneralSettingsPane(SettingsContext& context, QWidget* parent)
    : QWidget(parent), m_context(context) {
    AppPreferences& preferences = context.preferences;
    QVBoxLayout* layout =
        makePaneLayout(this, Symbol::generalPane, u"General"_s, u"How Stowline looks, starts, and behaves."_s);

    auto* appearance = new SettingsSection(u"APPEARANCE"_s, this);
    QStringList names;
    for (AppearancePreference choice : EnumTraits<AppearancePreference>::cases)
        names.append(displayName(choice));
    m_appearance = new SegmentedControl(names, u"Stowline appearance"_s, appearance);
    appearance->addRow(m_appearance);
    m_appearanceNote = appearance->addNote(QString());
    connect(m_appearance, &SegmentedControl::activated, this, [&preferences](int index) {
        preferences.setAppearance(EnumTraits<AppearancePreference>::cases[static_cast<size_t>(index)]);
    });
    connect(&preferences, &AppPreferences::appearanceChanged, this, &GeneralSettingsPane::showAppearanceNote);
    showAppearanceNote();
    layout->addWidget(appearance);

    auto* clipboard = new SettingsSection(u"CLIPBOARD"_s, this);
    QCheckBox* capture = makeToggle(u"Capture clipboard history"_s, clipboard);
    bindToggle(capture, preferences, &AppPreferences::captureEnabled, &AppPreferences::setCaptureEnabled,
               &AppPreferences::captureEnabledChanged);
    clipboard->addRow(capture);
    QCheckBox* instantPaste = makeToggle(u"Paste directly into the previous app"_s, clipboard);
    bindToggle(instantPaste, preferences, &AppPreferences::instantPaste, &AppPreferences::setInstantPaste,
               &AppPreferences::instantPasteChanged);
    clipboard->addRow(instantPaste);
    clipboard->addNote(PlatformWording::text(Wording::instantPasteNote));
    QCheckBox* plainText = makeToggle(u"Paste plain text by default"_s, clipboard);
    plainText->setToolTip(u"Return pastes plain text; Shift+Return keeps the formatting."_s);
    bindToggle(plainText, preferences, &AppPreferences::pastePlainTextByDefault,
               &AppPreferences::setPastePlainTextByDefault, &AppPreferences::pastePlainTextByDefaultChanged);
    clipboard->addRow(plainText);
    layout->addWidget(clipboard);

    auto* startup = new SettingsSection(u"STARTUP & WINDOW"_s, this);
    m_launchAtLogin = makeToggle(u"Open Stowline when I log in"_s, startup);
    m_launchAtLogin->setChecked(preferences.launchAtLogin());
    connect(m_launchAtLogin, &QCheckBox::clicked, this, &GeneralSettingsPane::launchAtLoginClicked);
    connect(&preferences, &AppPreferences::launchAtLoginChanged, m_launchAtLogin,
            [this] { m_launchAtLogin->setChecked(m_context.preferences.launchAtLogin()); });
    startup->addRow(m_launchAtLogin);
    m_inactivity = makeToggle(u"Close clipboard window after inactivity"_s, startup);
    bindToggle(m_inactivity, preferences, &AppPreferences::inactivityCloseEnabled,
               &AppPreferences::setInactivityCloseEnabled, &AppPreferences::inactivityCloseEnabledChanged);
    startup->addRow(m_inactivity);
    startup->addNote(u"Keyboard, pointer, or scrolling activity in Stowline restarts the timer. Five minutes is the "
                     u"default."_s);
    m_minutes = new ExactPositiveIntegerField(
        [&preferences] { return minutesShown(preferences.inactivitySeconds()); },
        [&preferences](qint64 minutes) { preferences.setInactivitySeconds(double(std::max<qint64>(minutes, 1)) * 60); },
        u"minutes"_s, u"Inactivity timeout in minutes"_s);
    startup->addLabelledRow(u"Close after"_s, m_minutes);
    connect(&preferences, &AppPreferences::inactivitySecondsChanged, m_minutes, &NumericPreferenceField::valueChanged);
    m_minutes->setEnabled(preferences.inactivityCloseEnabled());
    connect(&preferences, &AppPreferences::inactivityCloseEnabledChanged, m_minutes,
            [this] { m_minutes->setEnabled(m_context.preferences.inactivityCloseEnabled()); });
    layout->addWidget(startup);
    layout->addStretch();
}

void GeneralSettingsPane::showAppearanceNote() {
    const AppearancePreference appearance = m_context.preferences.appearance();
    m_appearance->setCurrentIndex(static_cast<int>(appearance));
    m_appearanceNote->setText(PlatformWording::text(appearance == AppearancePreference::system
                                                        ? Wording::appearanceFollowsSystem
                                                        : Wording::appearanceOverridesSystem));
}

void GeneralSettingsPane::launchAtLoginClicked(bool enabled) {
    AppPreferences& preferences = m_context.preferences;
    if (m_context.launchAtLogin.setEnabled(enabled).ok()) {
        preferences.setLaunchAtLogin(enabled);
        preferences.defaults().setBoolean(PreferenceKeys::launchAtLoginUserSet, true);
        return;
    }
    // The switch goes back: the entry on disk is as it was.
    preferences.setLaunchAtLogin(!enabled);
    m_launchAtLogin->setChecked(!enabled);
    Q_EMIT failed(launchFailedMessage());
}

} // namespace stowline
