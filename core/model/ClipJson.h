#pragma once

#include "core/model/ClipItem.h"
#include "core/model/JsonDecodeError.h"
#include "core/model/JsonWriter.h"
#include "core/support/Result.h"

#include <QByteArray>
#include <QByteArrayView>

namespace stowline::ClipJson {

void write(JsonWriter& writer, const ClipRepresentation& representation);
void write(JsonWriter& writer, const ClipItem& item);
// Bytes the encoded form of `item` takes, close enough to reserve buffers for whole histories.
qsizetype encodedSizeHint(const ClipItem& item);

QByteArray encode(const ClipItem& item);
Result<ClipItem, JsonDecodeError> decode(QByteArrayView json);

} // namespace stowline::ClipJson
