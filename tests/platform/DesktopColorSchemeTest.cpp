#include "app/appearance/DesktopColorScheme.h"

#include "tests/platform/FakeDesktopPortal.h"
#include "tests/support/Wait.h"

#include <QCoreApplication>
#include <QDBusConnection>

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
