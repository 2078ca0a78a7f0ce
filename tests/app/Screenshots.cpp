#include "tests/app/Screenshots.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace stowline::test {

QImage saveScreenshot(QWidget& widget, const QString& name) {
    // Layouts and scroll bars settle in posted events.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    const QImage image = widget.grab().toImage();
    const QDir folder(QStringLiteral(STOWLINE_SCREENSHOT_DIR));
    EXPECT_TRUE(folder.mkpath(QStringLiteral(".")));
    const QString path = folder.filePath(name + QStringLiteral(".png"));
    EXPECT_TRUE(image.save(path)) << path.toStdString();
    return image;
}

void inEachAppearance(const std::function<void(Appearance, const QString& suffix)>& shoot) {
    for (const Appearance appearance : {Appearance::light, Appearance::dark}) {
        StowlineStyle::apply(appearance);
        shoot(appearance, appearance == Appearance::dark ? QStringLiteral("-dark") : QStringLiteral("-light"));
    }
    StowlineStyle::apply(Appearance::light);
}

} // namespace stowline::test
