#include "app/appearance/DesktopColorScheme.h"

#include "app/appearance/AppearanceCoordinator.h"
#include "app/preferences/AppPreferences.h"
#include "app/ui/style/StowlineStyle.h"

#include "tests/platform/FakeDesktopPortal.h"
#include "tests/support/Wait.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace stowline;
using namespace stowline::test;
using Scheme = DesktopColorScheme::Scheme;

TEST(DesktopColorScheme, WithoutAPortalThereIsNoPreference) {
    DesktopColorScheme scheme(QDBusConnection::sessionBus());
    EXPECT_EQ(scheme.scheme(), Scheme::noPreference);
    // The failed question is answered, not left waiting: nothing changes afterwards.
    QCoreApplication::processEvents();
    EXPECT_EQ(scheme.scheme(), Scheme::noPreference);
}

TEST(DesktopColorScheme, ReadsTheRunningPortalAtOnceAndFollowsItsChanges) {
    FakeDesktopPortal portal;
    ASSERT_TRUE(portal.start(1));
    DesktopColorScheme scheme(QDBusConnection::sessionBus());
    EXPECT_EQ(scheme.scheme(), Scheme::preferDark);

    ASSERT_TRUE(portal.switchTo(2));
    EXPECT_TRUE(waitUntil([&] { return scheme.scheme() == Scheme::preferLight; }));
    ASSERT_TRUE(portal.switchTo(0));
    EXPECT_TRUE(waitUntil([&] { return scheme.scheme() == Scheme::noPreference; }));
}

TEST(DesktopColorScheme, AnOlderPortalIsReadThroughRead) {
    FakeDesktopPortal portal;
    ASSERT_TRUE(portal.start(1, true));
    DesktopColorScheme scheme(QDBusConnection::sessionBus());
    EXPECT_EQ(scheme.scheme(), Scheme::preferDark);
}

TEST(DesktopColorScheme, APortalThatStartsLaterIsFollowed) {
    DesktopColorScheme scheme(QDBusConnection::sessionBus());
    ASSERT_EQ(scheme.scheme(), Scheme::noPreference);
    FakeDesktopPortal portal;
    ASSERT_TRUE(portal.start(0));
    ASSERT_TRUE(portal.switchTo(1));
    EXPECT_TRUE(waitUntil([&] { return scheme.scheme() == Scheme::preferDark; }));
}

TEST(DesktopColorScheme, PortalValuesMapToSchemes) {
    EXPECT_EQ(DesktopColorScheme::fromPortalValue(QVariant::fromValue(1u)), Scheme::preferDark);
    EXPECT_EQ(DesktopColorScheme::fromPortalValue(QVariant::fromValue(2u)), Scheme::preferLight);
    EXPECT_EQ(DesktopColorScheme::fromPortalValue(QVariant::fromValue(7u)), Scheme::noPreference);
    EXPECT_EQ(DesktopColorScheme::fromPortalValue(QVariant(QStringLiteral("dark"))), Scheme::noPreference);
}

namespace {

QColor windowColour(const QWidget& widget) {
    return widget.palette().color(QPalette::Window);
}

QColor expectedWindowColour(Appearance appearance) {
    return StowlineStyle::palette(appearance).color(QPalette::Window);
}

// Open windows take the new palette when they handle the application's palette change.
bool showsIn(const QWidget& window, Appearance appearance) {
    return waitUntil([&] { return windowColour(window) == expectedWindowColour(appearance); });
}

} // namespace

TEST(AppearanceCoordinator, SystemFollowsTheDesktopAndAChoiceOverridesItInOpenWindows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    AppPreferences preferences(std::make_unique<PreferenceStore>(dir.filePath(QStringLiteral("Stowline.conf"))));
    FakeDesktopPortal portal;
    ASSERT_TRUE(portal.start(1));
    QWidget window;
    window.show();

    {
        AppearanceCoordinator coordinator(preferences,
                                          std::make_unique<DesktopColorScheme>(QDBusConnection::sessionBus()));
        EXPECT_EQ(StowlineStyle::appearance(), Appearance::dark);
        EXPECT_TRUE(showsIn(window, Appearance::dark));

        preferences.setAppearance(AppearancePreference::light);
        EXPECT_TRUE(showsIn(window, Appearance::light));
        // The desktop's later switch does not override the user's choice.
        ASSERT_TRUE(portal.switchTo(1));
        QCoreApplication::processEvents();
        EXPECT_EQ(StowlineStyle::appearance(), Appearance::light);

        preferences.setAppearance(AppearancePreference::system);
        EXPECT_TRUE(showsIn(window, Appearance::dark));
        ASSERT_TRUE(portal.switchTo(2));
        EXPECT_TRUE(showsIn(window, Appearance::light));

        preferences.setAppearance(AppearancePreference::dark);
        EXPECT_EQ(StowlineStyle::appearance(), Appearance::dark);
    }
    // Without a desktop answer, `system` follows the lightness of the platform's palette.
    preferences.setAppearance(AppearancePreference::system);
    for (const Appearance platform : {Appearance::dark, Appearance::light}) {
        AppearanceCoordinator withoutPortal(preferences, nullptr, StowlineStyle::palette(platform));
        EXPECT_EQ(StowlineStyle::appearance(), platform);
    }
}
