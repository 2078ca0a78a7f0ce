#pragma once

#include "core/archive/StowlineCipherError.h"
#include "core/model/ClipItem.h"
#include "core/model/JsonWriter.h"
#include "core/support/Result.h"

#include <QByteArrayView>
#include <QList>

#include <functional>

namespace stowline {

// The record the whole history is stored as.
struct StowlineArchive {
    static constexpr qint64 currentSchemaVersion = 2;
    static constexpr qint64 minimumSupportedSchemaVersion = 1;

    qint64 schemaVersion = currentSchemaVersion;
    QList<ClipItem> items;

    static bool supports(qint64 version) {
        return version >= minimumSupportedSchemaVersion && version <= currentSchemaVersion;
    }

    // Bytes the JSON form takes, close enough to reserve its buffer once.
    qsizetype encodedSizeHint() const;
    void write(JsonWriter& writer) const;
    // Writes the archive of `count` entries, `itemAt` giving each, and hands the buffer to `drain` whenever it
    // holds `chunkBytes` or more between two entries, so a large history is written in pieces; `drain` empties
    // the buffer and returns false to stop.
    static bool write(JsonWriter& writer, qsizetype count, const std::function<const ClipItem&(qsizetype)>& itemAt,
                      qsizetype chunkBytes, const std::function<bool(QByteArray&)>& drain);
    QByteArray encode() const;

    // Both keys are required, other keys are ignored, member order does not matter; a version outside the
    // supported range fails with `unsupportedSchema`, anything else with `decodingFailed`. Large texts are
    // decoded on several threads (see StowlineArchiveDecoder).
    static Result<StowlineArchive, StowlineCipherError> decode(QByteArrayView json);

    friend bool operator==(const StowlineArchive&, const StowlineArchive&) = default;
};

} // namespace stowline
