#include "core/permission/DesktopReadiness.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace stowline::DesktopReadiness;
using namespace Qt::StringLiterals;

// Each desktop's missing pieces get the step that desktop takes; working pieces need none.
TEST(DesktopReadiness, EachMissingPieceGetsItsDesktopsStep) {
    struct Case {
        DesktopFacts facts;
        QList<Step> steps;
    };
    const Case cases[] = {
        {{u"sway"_s, true, true, false, true}, {Step::none, Step::none, Step::bindSway, Step::none}},
        {{u"Hyprland"_s, true, true, false, true}, {Step::none, Step::none, Step::bindHyprland, Step::none}},
        {{u"GNOME"_s, true, false, false, false},
         {Step::none, Step::noWindowTracking, Step::gnomeCustomShortcut, Step::pasteYourself}},
        {{u"KDE"_s, true, false, true, false}, {Step::none, Step::kdeDesktopEntry, Step::none, Step::kdeDesktopEntry}},
        {{u"COSMIC"_s, false, false, false, false},
         {Step::cosmicDataControl, Step::noWindowTracking, Step::desktopShortcut, Step::pasteYourself}},
        {{u""_s, false, true, true, true}, {Step::noDataControl, Step::none, Step::none, Step::none}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.facts.desktop.toStdString());
        const QList<Row> rows = DesktopReadiness::rows(c.facts);
        ASSERT_EQ(rows.size(), 4);
        const bool working[] = {c.facts.capture, c.facts.sourceApplication, c.facts.shortcut, c.facts.paste};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(rows[i].feature, Feature(i));
            EXPECT_EQ(rows[i].working, working[i]);
            EXPECT_EQ(rows[i].step, c.steps[i]);
        }
    }
    EXPECT_EQ(command(Step::bindSway, u"stowline"_s), u"bindsym $mod+Shift+v exec stowline toggle"_s);
    EXPECT_EQ(command(Step::bindHyprland, u"stowline"_s), u"bind = SUPER SHIFT, V, exec, stowline toggle"_s);
    EXPECT_EQ(command(Step::gnomeCustomShortcut, u"stowline"_s), std::nullopt);
}
