#pragma once

#include "core/recognition/ImageTextCopyIntent.h"
#include "core/recognition/ImageTextCopySelection.h"

#include <QStringView>

#include <optional>

namespace stowline::ImageTextCopyPolicy {

// What an intent selects in the text: the whole text, the line around an offset without its line-feed and
// carriage-return terminator, or the word around an offset (Unicode word boundaries in the current locale).
// Nothing when the offset is outside the text or selects no line or word. Any thread.
std::optional<ImageTextCopySelection> selection(QStringView text, const ImageTextCopyIntent& intent);

} // namespace stowline::ImageTextCopyPolicy
