#pragma once

#include "core/model/ClipItem.h"

#include <QString>

#include <optional>

namespace stowline::ClipPresentationMetadata {

// The one-line detail under a history row: the file size of a file clip, the pixel size of an image clip
// ("1920×1080 px"), nothing for other kinds.
std::optional<QString> detail(const ClipItem& item);

} // namespace stowline::ClipPresentationMetadata
