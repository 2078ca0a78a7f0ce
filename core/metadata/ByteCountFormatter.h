#pragma once

#include <QLocale>
#include <QString>

namespace stowline::ByteCountFormatter {

// A byte count in decimal file-size units (1 KB = 1000 bytes): "Zero KB", "1 byte", "999 bytes", "3 KB",
// "1.5 MB", "1.23 GB". Kilobytes show no fraction, megabytes one digit, larger units two; trailing zeros go.
QString string(qint64 bytes, const QLocale& locale = QLocale());

} // namespace stowline::ByteCountFormatter
