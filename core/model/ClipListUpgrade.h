#pragma once

#include "core/model/ClipItem.h"

#include <QList>

namespace stowline {

// The result of bringing stored clips up to the current rules: the clips in their order, and whether any changed
// (a reason to save).
struct ClipListUpgrade {
    QList<ClipItem> items;
    bool changed = false;
};

} // namespace stowline
