#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace stowline::test {

// Renders the widget and writes it to <build folder>/screenshots/<name>.png for a person to look at; returns the
// image so the test can check pixels too. Fails the current test when the file cannot be written.
QImage saveScreenshot(QWidget& widget, const QString& name);

} // namespace stowline::test
