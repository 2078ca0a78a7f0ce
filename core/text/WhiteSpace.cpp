#include "core/text/WhiteSpace.h"

#include "core/text/Graphemes.h"

#include <QStringTokenizer>

#include <unicode/uchar.h>

namespace stowline::WhiteSpace {

bool isWhiteSpace(char32_t scalar) {
    if (scalar < 0x80)
        return scalar == ' ' || (scalar >= 0x09 && scalar <= 0x0D);
    if (scalar == 0x85)
        return true;
    const UChar32 c = static_cast<UChar32>(scalar);
    return u_isUWhiteSpace(c) || (U_GET_GC_MASK(c) & U_GC_Z_MASK) != 0;
}

namespace {

char32_t scalarAt(QStringView text, qsizetype i, qsizetype& length) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
        length = 2;
        return QChar::surrogateToUcs4(c, text[i + 1]);
    }
    length = 1;
    return c.unicode();
}

// Offset of the first character of the trailing white space run.
qsizetype trailingStart(QStringView text) {
    qsizetype end = text.size();
    while (end > 0) {
        qsizetype start = end - 1;
        if (text[start].isLowSurrogate() && start > 0 && text[start - 1].isHighSurrogate())
            --start;
        qsizetype length = 0;
        if (!isWhiteSpace(scalarAt(text, start, length)))
            break;
        end = start;
    }
    return end;
}

qsizetype leadingEnd(QStringView text, qsizetype from = 0) {
    qsizetype i = from;
    while (i < text.size()) {
        qsizetype length = 0;
        if (!isWhiteSpace(scalarAt(text, i, length)))
            break;
        i += length;
    }
    return i;
}

qsizetype nextWhiteSpace(QStringView text, qsizetype from) {
    qsizetype i = from;
    while (i < text.size()) {
        qsizetype length = 0;
        if (isWhiteSpace(scalarAt(text, i, length)))
            break;
        i += length;
    }
    return i;
}

} // namespace

QStringView trimmed(QStringView text) {
    const qsizetype start = leadingEnd(text);
    if (start == text.size())
        return text.sliced(start, 0);
    return text.sliced(start, trailingStart(text) - start);
}

bool isBlank(QStringView text) {
    return leadingEnd(text) == text.size();
}

QList<QStringView> split(QStringView text) {
    QList<QStringView> pieces;
    qsizetype i = leadingEnd(text);
    while (i < text.size()) {
        const qsizetype end = nextWhiteSpace(text, i);
        pieces.append(text.sliced(i, end - i));
        i = leadingEnd(text, end);
    }
    return pieces;
}

QString collapsed(QStringView text, qsizetype limitCharacters) {
    QString result;
    qsizetype nextCheck = limitCharacters + 1;
    qsizetype i = leadingEnd(text);
    while (i < text.size()) {
        const qsizetype end = nextWhiteSpace(text, i);
        if (!result.isEmpty())
            result.append(u' ');
        result.append(text.sliced(i, end - i));
        // With one cluster more than the cap, later text can no longer change the kept clusters; checking at
        // doubling sizes keeps this linear.
        if (limitCharacters >= 0 && result.size() >= nextCheck) {
            if (Graphemes::countUpTo(result, limitCharacters + 1) > limitCharacters)
                break;
            nextCheck = result.size() * 2;
        }
        i = leadingEnd(text, end);
    }
    if (limitCharacters >= 0)
        result.truncate(Graphemes::prefixLength(result, limitCharacters));
    return result;
}

} // namespace stowline::WhiteSpace
