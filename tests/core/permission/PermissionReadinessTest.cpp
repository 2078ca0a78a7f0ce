#include "core/permission/PermissionReadinessPolicy.h"

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {
constexpr auto shortcut = AccessibilityPurpose::singleModifierShortcut;
constexpr auto paste = AccessibilityPurpose::instantPaste;
} // namespace

TEST(PermissionReadinessRequirements, NormalisesOrderAndRepetition) {
    const PermissionReadinessRequirements both({shortcut, paste});
    EXPECT_EQ(PermissionReadinessRequirements({paste, shortcut, paste}), both);
    EXPECT_EQ(PermissionReadinessRequirements({paste, paste, shortcut, shortcut}).accessibilityPurposes(),
              QList<AccessibilityPurpose>({shortcut, paste}));
    EXPECT_EQ(both.signature(), u"accessibility:singleModifierShortcut,instantPaste"_s);
    EXPECT_TRUE(both.requiresAccessibility());

    const PermissionReadinessRequirements onlyPaste({paste, paste});
    EXPECT_EQ(onlyPaste.signature(), u"accessibility:instantPaste"_s);
    EXPECT_NE(onlyPaste, both);

    const PermissionReadinessRequirements none;
    EXPECT_FALSE(none.requiresAccessibility());
    EXPECT_EQ(none.signature(), std::nullopt);
    EXPECT_EQ(none, PermissionReadinessRequirements(QList<AccessibilityPurpose>()));
}

TEST(PermissionReadinessPolicy, OnlyAOneModifierShortcutNeedsThePermission) {
    struct Case {
        bool instantPaste;
        bool shortcutNeedsIt;
        std::optional<QString> signature;
    };
    const Case cases[] = {
        {false, false, std::nullopt},
        {true, false, std::nullopt},
        {false, true, u"accessibility:singleModifierShortcut"_s},
        {true, true, u"accessibility:singleModifierShortcut,instantPaste"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.instantPaste << c.shortcutNeedsIt);
        const auto requirements = PermissionReadinessPolicy::requirements(c.instantPaste, c.shortcutNeedsIt);
        EXPECT_EQ(requirements.signature(), c.signature);
        EXPECT_EQ(requirements.requiresAccessibility(), c.signature.has_value());
    }
}
