#include "core/policy/NumericPreferencePolicy.h"

#include "core/text/WhiteSpace.h"

#include <QLocale>

#include <cmath>

namespace stowline::NumericPreferencePolicy {

namespace {
constexpr double minimumPoints = 6.0;
constexpr double maximumPoints = 72.0;
} // namespace

std::optional<qint64> positiveInteger(QStringView text) {
    const QStringView trimmed = WhiteSpace::trimmed(text);
    if (trimmed.isEmpty())
        return std::nullopt;
    // Other numeric characters (Arabic-Indic digits, fractions) would not parse as base-10 anyway.
    for (QChar c : trimmed) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok, 10);
    if (!ok || value <= 0)
        return std::nullopt;
    return value;
}

std::optional<double> fontPoints(QStringView text) {
    const QStringView trimmed = WhiteSpace::trimmed(text);
    if (trimmed.isEmpty())
        return std::nullopt;
    QString decimal = trimmed.toString();
    decimal.replace(u',', u'.');
    bool ok = false;
    const double value = QLocale::c().toDouble(decimal, &ok);
    if (!ok || !std::isfinite(value) || value < minimumPoints || value > maximumPoints)
        return std::nullopt;
    return value;
}

QString formatted(double points) {
    // Beyond 2^53 every double is whole, but a 64-bit integer would no longer hold it.
    if (std::isfinite(points) && points == std::trunc(points) && std::fabs(points) < 9.0e15)
        return QString::number(static_cast<qint64>(points));
    return QString::number(points, 'g', QLocale::FloatingPointShortest);
}

} // namespace stowline::NumericPreferencePolicy
