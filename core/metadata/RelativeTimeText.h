#pragma once

#include "core/model/Timestamp.h"

#include <QLocale>
#include <QString>

namespace stowline::RelativeTimeText {

// How long before or after `now` the date lies, in the locale's short style ("5 min. ago", "in 2 hr."), counted
// in the largest unit of which at least one whole one has passed (seconds up to years).
QString text(Timestamp date, Timestamp now, const QLocale& locale = QLocale());

} // namespace stowline::RelativeTimeText
