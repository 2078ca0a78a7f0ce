#pragma once

#include "core/model/ClipItem.h"

#include <QList>

namespace stowline {

// Counts and byte totals of a history, for the storage summary of the settings.
struct ClipboardStatistics {
    ClipboardStatistics() = default;
    explicit ClipboardStatistics(const QList<ClipItem>& items);

    qint64 totalItems = 0;
    qint64 capturedContentBytes = 0;
    qint64 imageCount = 0;
    qint64 imageContentBytes = 0;
    qint64 fileCount = 0;
    qint64 capturedFileBytes = 0;

    friend bool operator==(const ClipboardStatistics&, const ClipboardStatistics&) = default;
};

} // namespace stowline
