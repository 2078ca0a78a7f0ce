#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace stowline::Utf8 {

// The text, or nothing when the bytes are not valid UTF-8. A leading byte order mark is kept as a character.
std::optional<QString> decode(QByteArrayView bytes);

} // namespace stowline::Utf8
