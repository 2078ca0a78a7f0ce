#include "core/permission/DesktopReadiness.h"

using namespace Qt::StringLiterals;

namespace stowline::DesktopReadiness {

namespace {

bool is(const QString& desktop, QStringView name) {
    return desktop.compare(name, Qt::CaseInsensitive) == 0;
}

Step shortcutStep(const QString& desktop) {
    if (is(desktop, u"sway"))
        return Step::bindSway;
    if (is(desktop, u"Hyprland"))
        return Step::bindHyprland;
    if (is(desktop, u"GNOME") || is(desktop, u"ubuntu"))
        return Step::gnomeCustomShortcut;
    if (is(desktop, u"KDE"))
        return Step::kdeShortcut;
    return Step::desktopShortcut;
}

} // namespace

QList<Row> rows(const DesktopFacts& facts) {
    const bool kde = is(facts.desktop, u"KDE");
    const Step capture = is(facts.desktop, u"COSMIC") ? Step::cosmicDataControl : Step::noDataControl;
    const Step source = kde ? Step::kdeDesktopEntry : Step::noWindowTracking;
    const Step paste = kde ? Step::kdeDesktopEntry : Step::pasteYourself;
    return {
        {Feature::capture, facts.capture, facts.capture ? Step::none : capture},
        {Feature::sourceApplication, facts.sourceApplication, facts.sourceApplication ? Step::none : source},
        {Feature::shortcut, facts.shortcut, facts.shortcut ? Step::none : shortcutStep(facts.desktop)},
        {Feature::paste, facts.paste, facts.paste ? Step::none : paste},
    };
}

std::optional<QString> command(Step step, const QString& program) {
    switch (step) {
    case Step::bindSway:
        return u"bindsym $mod+Shift+v exec %1 toggle"_s.arg(program);
    case Step::bindHyprland:
        return u"bind = SUPER SHIFT, V, exec, %1 toggle"_s.arg(program);
    default:
        return std::nullopt;
    }
}

} // namespace stowline::DesktopReadiness
