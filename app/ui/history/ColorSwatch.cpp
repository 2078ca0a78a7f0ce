#include "app/ui/history/ColorSwatch.h"

#include <algorithm>

namespace stowline::ColorSwatch {

std::optional<QColor> color(QStringView text) {
    while (text.startsWith(u'#'))
        text = text.sliced(1);
    while (text.endsWith(u'#'))
        text.chop(1);
    if (text.size() != 3 && text.size() != 6 && text.size() != 8)
        return std::nullopt;
    // Digits only: the number parser would also take a sign or a "0x" prefix.
    const auto isHexDigit = [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
    };
    if (!std::all_of(text.begin(), text.end(), isHexDigit))
        return std::nullopt;
    const quint64 value = text.toULongLong(nullptr, 16);
    const auto channel = [&](int shift, int bits) { return double((value >> shift) & ((1u << bits) - 1)); };
    switch (text.size()) {
    case 3:
        return QColor::fromRgbF(float(channel(8, 4) / 15), float(channel(4, 4) / 15), float(channel(0, 4) / 15));
    case 6:
        return QColor::fromRgbF(float(channel(16, 8) / 255), float(channel(8, 8) / 255), float(channel(0, 8) / 255));
    default:
        return QColor::fromRgbF(float(channel(24, 8) / 255), float(channel(16, 8) / 255), float(channel(8, 8) / 255),
                                float(channel(0, 8) / 255));
    }
}

} // namespace stowline::ColorSwatch
