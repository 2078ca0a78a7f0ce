#include "core/metadata/RelativeTimeText.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace stowline;

TEST(RelativeTimeText, CountsInTheLargestWholeUnitInTheShortStyle) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const Timestamp now{800'000'000};
    const struct {
        double offset;
        QString text;
    } cases[] = {
        {0, u"in 0 sec."_s},
        {-42, u"42 sec. ago"_s},
        {-90, u"1 min. ago"_s},
        {-3 * 3600 - 5, u"3 hr. ago"_s},
        {-2 * 86400, u"2 days ago"_s},
        {-15 * 86400, u"2 wk. ago"_s},
        {-400 * 86400, u"1 yr. ago"_s},
        {7200, u"in 2 hr."_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.offset);
        EXPECT_EQ(RelativeTimeText::text(now.addingSeconds(c.offset), now, english), c.text);
    }
}
