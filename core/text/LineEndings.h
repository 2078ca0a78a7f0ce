#pragma once

#include <QString>

namespace stowline::LineEndings {

// The text with every "\r\n" and lone "\r" turned into "\n", the one line ending a plain-text editor keeps apart.
QString normalized(const QString& text);

// `edited` is `normalized(original)` after the user changed it. The result is `edited` with the original's
// characters, line endings included, wherever the edit did not reach (the common beginning and end); the line
// endings inside the changed part are the original's first one ("\n" when it has none).
QString restored(const QString& original, const QString& edited);

} // namespace stowline::LineEndings
