#pragma once

#include <QByteArrayView>

namespace stowline::ByteSearch {

// The offset of the first occurrence of `needle` in `haystack` at or after `from`, or -1.
qsizetype find(QByteArrayView haystack, QByteArrayView needle, qsizetype from = 0);

} // namespace stowline::ByteSearch
