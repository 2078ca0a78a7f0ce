#include "app/ui/style/PlatformWording.h"

#include <gtest/gtest.h>

using namespace stowline;

TEST(PlatformWording, NoTextNamesTheMac) {
    for (int i = 0; i <= int(Wording::permissionNotNeeded); ++i) {
        const QString text = PlatformWording::text(Wording(i));
        EXPECT_FALSE(text.isEmpty()) << i;
        for (const char16_t* word : {u"macOS", u"MACOS", u"Mac", u"Keychain", u"com.apple", u"System Settings",
                                     u"Option", u"Accessibility", u"menu bar"})
            EXPECT_FALSE(text.contains(QStringView(word), Qt::CaseSensitive)) << text.toStdString();
    }
}
