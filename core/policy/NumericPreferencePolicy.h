#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace stowline::NumericPreferencePolicy {

// Exact whole numbers above zero in ASCII digits, surrounding white space allowed; no signs or separators.
std::optional<qint64> positiveInteger(QStringView text);

// A font size from 6 to 72 points; a decimal comma is accepted and so is exponent notation.
std::optional<double> fontPoints(QStringView text);

// "12" for a whole number, otherwise the shortest decimal form ("12.5").
QString formatted(double points);

} // namespace stowline::NumericPreferencePolicy
