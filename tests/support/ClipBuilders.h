#pragma once

#include "core/model/ClipItem.h"

#include <QString>

namespace stowline::test {

ClipRepresentation textRepresentation(const QString& text, qint64 itemIndex = 0);

// A plain text clip with fresh identity, classified the way a capture would classify it.
ClipItem textClip(const QString& text, Timestamp createdAt = Timestamp{1000});

// An image clip over the given bytes (not necessarily a decodable image).
ClipItem imageClip(const QByteArray& png, Timestamp createdAt = Timestamp{1000});

// A clip of `kind` over the given representations with placeholder texts, for code that reads only the payloads.
ClipItem clipOf(ClipKind kind, ClipRepresentations representations, qint64 byteCount = 0);

// A clip with every optional field present, for round trips.
ClipItem fullClip();

} // namespace stowline::test
