#pragma once

#include "core/model/ClipItem.h"
#include "core/search/SmartSearch.h"

#include <QString>

namespace stowline::ClipRowTexts {

// The row's text for assistive technology; the excerpt of recognised text follows the search.
QString accessibilityLabel(const ClipItem& item, bool showApplicationIdentifiers, const SmartSearch& search);
// The parts under the preview joined by " • ", the time of last use last.
QString metadataLine(const ClipItem& item, bool showApplicationIdentifiers, Timestamp now);
// The line under recognised text that says what a click copies.
QString recognizedTextHint();

} // namespace stowline::ClipRowTexts
