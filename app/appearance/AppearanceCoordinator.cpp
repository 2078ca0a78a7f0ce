#include "app/appearance/AppearanceCoordinator.h"

#include "app/preferences/AppPreferences.h"

namespace stowline {

AppearanceCoordinator::AppearanceCoordinator(AppPreferences& preferences, std::unique_ptr<DesktopColorScheme> desktop,
                                             QObject* parent)
    : QObject(parent), m_preferences(preferences), m_desktop(std::move(desktop)) {
    apply();
    connect(&m_preferences, &AppPreferences::appearanceChanged, this, &AppearanceCoordinator::apply);
    if (m_desktop)
        connect(m_desktop.get(), &DesktopColorScheme::changed, this, &AppearanceCoordinator::apply);
}

AppearanceCoordinator::~AppearanceCoordinator() = default;

Appearance AppearanceCoordinator::resolve(AppearancePreference preference, DesktopColorScheme::Scheme desktop) {
    switch (preference) {
    case AppearancePreference::light:
        return Appearance::light;
    case AppearancePreference::dark:
        return Appearance::dark;
    case AppearancePreference::system:
        break;
    }
    return desktop == DesktopColorScheme::Scheme::preferDark ? Appearance::dark : Appearance::light;
}

void AppearanceCoordinator::apply() {
    const DesktopColorScheme::Scheme desktop =
        m_desktop ? m_desktop->scheme() : DesktopColorScheme::Scheme::noPreference;
    StowlineStyle::apply(resolve(m_preferences.appearance(), desktop));
}

} // namespace stowline
