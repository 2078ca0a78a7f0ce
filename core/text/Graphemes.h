#pragma once

#include <QString>
#include <QStringView>

namespace stowline::Graphemes {

// User-perceived characters (extended grapheme clusters); "\r\n" is one.
qsizetype count(QStringView text);
// Stops counting at `limit`, so a cap on a huge text costs only the capped part.
qsizetype countUpTo(QStringView text, qsizetype limit);
// UTF-16 length of the first `characters` grapheme clusters (the whole text when shorter).
qsizetype prefixLength(QStringView text, qsizetype characters);
QStringView prefix(QStringView text, qsizetype characters);

} // namespace stowline::Graphemes
