#include "core/text/Lines.h"

namespace stowline::Lines {

bool isLineBreak(char16_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

QList<QStringView> split(QStringView text) {
    QList<QStringView> result;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isLineBreak(text[i].unicode())) {
            result.append(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    result.append(text.sliced(start));
    return result;
}

} // namespace stowline::Lines
