#pragma once

#include "app/appearance/DesktopColorScheme.h"
#include "app/ui/style/StowlineStyle.h"
#include "core/appearance/AppearancePreference.h"

#include <QObject>

#include <memory>

namespace stowline {

class AppPreferences;

// Applies the appearance preference to every window of the application for the life of the process: light or
// dark as chosen, or, for `system`, what the desktop's colour scheme asks for; when the desktop says nothing (no
// portal, or no preference), the lightness of the platform's own palette decides. Changes apply at once. GUI
// thread only.
class AppearanceCoordinator : public QObject {
    Q_OBJECT

public:
    // `desktop` may be null: `system` then follows `platformPalette` (the desktop theme's palette as the
    // application started with it). `preferences` must outlive this object.
    AppearanceCoordinator(AppPreferences& preferences, std::unique_ptr<DesktopColorScheme> desktop,
                          const QPalette& platformPalette = StowlineStyle::platformPalette(),
                          QObject* parent = nullptr);
    ~AppearanceCoordinator() override;

    static Appearance resolve(AppearancePreference preference, DesktopColorScheme::Scheme desktop,
                              const QPalette& platformPalette);

private:
    void apply();

    AppPreferences& m_preferences;
    std::unique_ptr<DesktopColorScheme> m_desktop;
    const QPalette m_platformPalette;
};

} // namespace stowline
