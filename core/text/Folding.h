#pragma once

#include <QString>
#include <QStringView>

namespace stowline::Folding {

// The text without case, diacritic or width distinctions (full-width and half-width forms become their normal
// forms), in composed normal form so that canonically equivalent texts fold to the same string.
QString folded(QStringView text);

} // namespace stowline::Folding
