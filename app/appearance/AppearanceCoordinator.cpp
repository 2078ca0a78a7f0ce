#include "app/appearance/AppearanceCoordinator.h"

#include "app/preferences/AppPreferences.h"

namespace stowline {

AppearanceCoordinator::AppearanceCoordinator(AppPreferences& preferences, std::unique_ptr<DesktopColorScheme> desktop,
                                             const QPalette& platformPalette, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_desktop(std::move(desktop)), m_platformPalette(platformPalette) {
    apply();
    connect(&m_preferences, &AppPreferences::appearanceChanged, this, &AppearanceCoordinator::apply);
    if (m_desktop)
        connect(m_desktop.get(), &DesktopColorScheme::changed, this, &AppearanceCoordinator::apply);
}

AppearanceCoordinator::~AppearanceCoordinator() = default;

Appearance AppearanceCoordinator::resolve(AppearancePreference preference, DesktopColorScheme::Scheme desktop,
                                          const QPalette& platformPalette) {
    switch (preference) {
    case AppearancePreference::light:
        return Appearance::light;
    case AppearancePreference::dark:
        return Appearance::dark;
    case AppearancePreference::system:
        break;
    }
    switch (desktop) {
    case DesktopColorScheme::Scheme::preferDark:
        return Appearance::dark;
    case DesktopColorScheme::Scheme::preferLight:
        return Appearance::light;
    case DesktopColorScheme::Scheme::noPreference:
        break;
    }
    // A dark desktop theme gives dark windows.
    return platformPalette.color(QPalette::Active, QPalette::Window).lightness() < 128 ? Appearance::dark
                                                                                       : Appearance::light;
}

void AppearanceCoordinator::apply() {
    const DesktopColorScheme::Scheme desktop =
        m_desktop ? m_desktop->scheme() : DesktopColorScheme::Scheme::noPreference;
    StowlineStyle::apply(resolve(m_preferences.appearance(), desktop, m_platformPalette));
}

} // namespace stowline
