#include "app/ui/style/StowlineStyle.h"

#include "app/ui/widgets/KeyCap.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QStyle>

#include <gtest/gtest.h>

using namespace stowline;
using namespace Qt::StringLiterals;

namespace {

class StowlineStyleTest : public ::testing::Test {
protected:
    ~StowlineStyleTest() override { StowlineStyle::apply(Appearance::light); }
};

TEST_F(StowlineStyleTest, SwitchingTheAppearanceResolvesEveryRoleAgainstItAndAnnouncesOnlyChanges) {
    StowlineStyle::apply(Appearance::light);
    QSignalSpy switched(StowlineStyle::notifier(), &StowlineStyle::appearanceChanged);

    StowlineStyle::apply(Appearance::dark);
    StowlineStyle::apply(Appearance::dark);

    ASSERT_EQ(switched.size(), 1);
    EXPECT_EQ(switched.at(0).at(0).value<Appearance>(), Appearance::dark);
    EXPECT_EQ(StowlineStyle::color(StyleRole::surface), StowlineStyle::color(StyleRole::surface, Appearance::dark));
    EXPECT_EQ(QApplication::palette().color(QPalette::Window),
              StowlineStyle::color(StyleRole::surface, Appearance::dark));
    EXPECT_EQ(QApplication::style()->name().toLower(), u"fusion"_s);
    // Text must stay readable on its window in both appearances.
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        const QPalette palette = StowlineStyle::palette(appearance);
        EXPECT_GT(
            std::abs(palette.color(QPalette::WindowText).lightness() - palette.color(QPalette::Window).lightness()),
            120);
        EXPECT_GT(std::abs(palette.color(QPalette::Text).lightness() - palette.color(QPalette::Base).lightness()), 120);
    }
    EXPECT_LT(StowlineStyle::color(StyleRole::surface, Appearance::dark).lightness(), 40);
    EXPECT_GT(StowlineStyle::color(StyleRole::surface, Appearance::light).lightness(), 220);
}

TEST_F(StowlineStyleTest, KeyCapLabelStandsOutOfTheSurfaceInBothAppearances) {
    KeyCap cap(u"Alt+Return"_s);
    cap.resize(cap.sizeHint());
    EXPECT_GT(cap.sizeHint().width(), cap.sizeHint().height());

    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        SCOPED_TRACE(int(appearance));
        StowlineStyle::apply(appearance);
        const QColor surface = StowlineStyle::color(StyleRole::surface);
        QImage image(cap.size(), QImage::Format_ARGB32);
        image.fill(surface);
        cap.render(&image, {}, {}, QWidget::RenderFlags());
        int darkest = 255;
        int lightest = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                darkest = std::min(darkest, QColor(image.pixel(x, y)).lightness());
                lightest = std::max(lightest, QColor(image.pixel(x, y)).lightness());
            }
        }
        if (appearance == Appearance::light)
            EXPECT_LT(darkest, surface.lightness() - 80);
        else
            EXPECT_GT(lightest, surface.lightness() + 80);
    }
}

} // namespace
