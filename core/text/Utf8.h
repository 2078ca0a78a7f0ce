#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace stowline::Utf8 {

// The text, or nothing when the bytes are not valid UTF-8. A leading byte order mark is kept as a character.
std::optional<QString> decode(QByteArrayView bytes);

// The text with white space trimmed from both ends and cut to its first `characters` user-perceived characters;
// nothing when the bytes are not valid UTF-8. Besides a fast validity check only the trimmed ends and as much
// of the text as the cut needs are read, so a cap on a huge text stays cheap.
std::optional<QString> decodeTrimmedPrefix(QByteArrayView bytes, qsizetype characters);

} // namespace stowline::Utf8
