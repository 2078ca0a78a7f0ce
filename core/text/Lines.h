#pragma once

#include <QList>
#include <QStringView>

namespace stowline::Lines {

// Line feed, vertical tab, form feed, carriage return, next line, and the Unicode line and paragraph separators.
bool isLineBreak(char16_t c);
// The text between line breaks; every break ends a line, so "a\r\nb" gives "a", "", "b".
QList<QStringView> split(QStringView text);

} // namespace stowline::Lines
