#pragma once

#include <QDateTime>

#include <compare>

namespace stowline {

// An instant as seconds since 2001-01-01T00:00:00Z, the form stored in the archive.
struct Timestamp {
    double seconds = 0;

    static constexpr qint64 referenceUnixSeconds = 978307200;

    static Timestamp now() { return fromDateTime(QDateTime::currentDateTimeUtc()); }
    static Timestamp fromDateTime(const QDateTime& dateTime) {
        return {static_cast<double>(dateTime.toMSecsSinceEpoch()) / 1000.0 - referenceUnixSeconds};
    }
    QDateTime toDateTime() const {
        return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>((seconds + referenceUnixSeconds) * 1000.0), Qt::UTC);
    }
    Timestamp addingSeconds(double delta) const { return {seconds + delta}; }

    friend auto operator<=>(Timestamp, Timestamp) = default;
};

} // namespace stowline
