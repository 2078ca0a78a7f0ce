#pragma once

// Reading clips out of a simdjson on-demand document; kept apart from ClipJson.h so only the readers pay for
// the simdjson headers.

#include "core/model/ClipItem.h"
#include "core/model/JsonDecodeError.h"
#include "core/support/Result.h"

#include <simdjson.h>

namespace stowline::ClipJson {

Result<ClipItem, JsonDecodeError> read(simdjson::ondemand::value value);

// A JSON text copied into a buffer with the padding simdjson needs.
simdjson::padded_string padded(QByteArrayView json);

} // namespace stowline::ClipJson
