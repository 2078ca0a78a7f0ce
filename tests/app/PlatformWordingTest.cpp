#include "app/PlatformWording.h"

#include <gtest/gtest.h>

using namespace stowline;

TEST(PlatformWording, NoTextNamesTheMac) {
    for (int i = 0; i <= int(Wording::shortcutNote); ++i) {
        const auto wording = Wording(i);
        SCOPED_TRACE(PlatformWording::original(wording).toStdString());
        const QString text = PlatformWording::text(wording);
        EXPECT_FALSE(text.isEmpty());
        EXPECT_NE(text, PlatformWording::original(wording));
        for (const char16_t* word :
             {u"macOS", u"MACOS", u"Mac", u"Keychain", u"com.apple", u"System Settings", u"Option"}) {
            EXPECT_FALSE(text.contains(QStringView(word), Qt::CaseSensitive)) << text.toStdString();
        }
    }
    EXPECT_EQ(PlatformWording::text(Wording::appearanceFollowsSystem), u"Follows the current desktop appearance.");
    EXPECT_EQ(PlatformWording::text(Wording::accessSection), u"DESKTOP ACCESS");
    EXPECT_EQ(PlatformWording::text(Wording::permissionRequestButton), u"Check Again");
}
