#pragma once

#include "app/appearance/DesktopColorScheme.h"
#include "app/style/StowlineStyle.h"
#include "core/appearance/AppearancePreference.h"

#include <QObject>

#include <memory>

namespace stowline {

class AppPreferences;

// Applies the appearance preference to every window of the application for the life of the process: light or
// dark as chosen, or, for `system`, what the desktop's colour scheme asks for (light when the desktop says
// nothing). Changes of either apply at once. GUI thread only.
class AppearanceCoordinator : public QObject {
    Q_OBJECT

public:
    // `desktop` may be null: `system` is then light. `preferences` must outlive this object.
    AppearanceCoordinator(AppPreferences& preferences, std::unique_ptr<DesktopColorScheme> desktop,
                          QObject* parent = nullptr);
    ~AppearanceCoordinator() override;

    static Appearance resolve(AppearancePreference preference, DesktopColorScheme::Scheme desktop);

private:
    void apply();

    AppPreferences& m_preferences;
    std::unique_ptr<DesktopColorScheme> m_desktop;
};

} // namespace stowline
