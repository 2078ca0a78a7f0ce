#pragma once

#include "app/ui/style/StowlineStyle.h"

#include <QImage>
#include <QString>

#include <functional>

class QWidget;

namespace stowline::test {

// Renders the widget and writes it to <build folder>/screenshots/<name>.png for a person to look at; returns the
// image so the test can check pixels too. Fails the current test when the file cannot be written.
QImage saveScreenshot(QWidget& widget, const QString& name);

// Runs `shoot` in the light, then the dark appearance with the name suffix "-light" or "-dark", and leaves
// the light one in place for the next test.
void inEachAppearance(const std::function<void(Appearance, const QString& suffix)>& shoot);

} // namespace stowline::test
