#include "app/PlatformServices.h"

#include <gtest/gtest.h>

using namespace stowline;

// Where the clipboard goes through Wayland, so do the windows unless the user keeps them under XWayland; without
// an X server there is only Wayland.
TEST(WindowPlatform, FollowsTheClipboardUnlessTheUserKeepsXWayland) {
    struct Case {
        bool waylandClipboard;
        bool preferXWayland;
        bool hasX11;
        const char* platform;
    };
    const Case cases[] = {
        {true, false, true, "wayland"},  {true, true, true, "xcb"},      {false, false, true, "xcb"},
        {true, false, false, "wayland"}, {true, true, false, "wayland"}, {false, false, false, "wayland"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.waylandClipboard << c.preferXWayland << c.hasX11);
        EXPECT_EQ(PlatformServices::windowPlatform(c.waylandClipboard, c.preferXWayland, c.hasX11), c.platform);
    }
}
