#include "core/metadata/ByteCountFormatter.h"

#include <array>
#include <cmath>

namespace stowline::ByteCountFormatter {

using namespace Qt::StringLiterals;

QString string(qint64 bytes, const QLocale& locale) {
    if (bytes == 0)
        return u"Zero KB"_s;
    const QString sign = bytes < 0 ? locale.negativeSign() : QString();
    // Unsigned, so that the most negative count has a magnitude too.
    const quint64 magnitude = bytes < 0 ? 0 - static_cast<quint64>(bytes) : static_cast<quint64>(bytes);
    if (magnitude < 1000)
        return sign + locale.toString(magnitude) + (magnitude == 1 ? u" byte"_s : u" bytes"_s);

    static constexpr std::array units{u"KB", u"MB", u"GB", u"TB", u"PB", u"EB"};
    static constexpr std::array fractionDigits{0, 1, 2, 2, 2, 2};
    double value = static_cast<double>(magnitude) / 1000.0;
    std::size_t unit = 0;
    for (;;) {
        const double scale = std::pow(10.0, fractionDigits[unit]);
        const double rounded = std::round(value * scale) / scale;
        // Rounding up to 1000 of a unit reads as 1 of the next one.
        if (rounded >= 1000.0 && unit + 1 < units.size()) {
            value /= 1000.0;
            ++unit;
            continue;
        }
        QString number = locale.toString(rounded, 'f', fractionDigits[unit]);
        if (fractionDigits[unit] > 0) {
            const QString point = locale.decimalPoint();
            while (number.endsWith(locale.zeroDigit()) && number.contains(point))
                number.chop(locale.zeroDigit().size());
            if (number.endsWith(point))
                number.chop(point.size());
        }
        return sign + number + u' ' + QString::fromUtf16(units[unit]);
    }
}

} // namespace stowline::ByteCountFormatter
