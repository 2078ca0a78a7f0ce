#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace stowline::WhiteSpace {

// Unicode White_Space, general category Z, U+0009 to U+000D and U+0085.
bool isWhiteSpace(char32_t scalar);

QStringView trimmed(QStringView text);
bool isBlank(QStringView text);
// The pieces between runs of white space, without empty pieces.
QList<QStringView> split(QStringView text);
// Every run of white space becomes one space; leading and trailing white space goes. With `limitCharacters`
// the result is cut to that many user-perceived characters without collapsing the rest of a long text.
QString collapsed(QStringView text, qsizetype limitCharacters = -1);

} // namespace stowline::WhiteSpace
