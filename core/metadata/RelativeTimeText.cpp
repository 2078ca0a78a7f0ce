#include "core/metadata/RelativeTimeText.h"

#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <array>
#include <cmath>
#include <memory>

namespace stowline::RelativeTimeText {

namespace {

struct Unit {
    double seconds;
    URelativeDateTimeUnit unit;
};

// Months and years as calendar averages: the text names whole units only.
constexpr std::array units{
    Unit{365.2425 * 86400, UDAT_REL_UNIT_YEAR},
    Unit{30.436875 * 86400, UDAT_REL_UNIT_MONTH},
    Unit{7 * 86400, UDAT_REL_UNIT_WEEK},
    Unit{86400, UDAT_REL_UNIT_DAY},
    Unit{3600, UDAT_REL_UNIT_HOUR},
    Unit{60, UDAT_REL_UNIT_MINUTE},
};

// Building a formatter loads locale data, so one is kept per thread and locale.
const icu::RelativeDateTimeFormatter* formatterFor(const QLocale& locale) {
    thread_local QString cachedName;
    thread_local std::unique_ptr<icu::RelativeDateTimeFormatter> cached;
    const QString name = locale.name();
    if (!cached || cachedName != name) {
        UErrorCode status = U_ZERO_ERROR;
        auto formatter = std::make_unique<icu::RelativeDateTimeFormatter>(
            icu::Locale(name.toUtf8().constData()), nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_NONE, status);
        if (U_FAILURE(status))
            return nullptr;
        cached = std::move(formatter);
        cachedName = name;
    }
    return cached.get();
}

} // namespace

QString text(Timestamp date, Timestamp now, const QLocale& locale) {
    const double delta = date.seconds - now.seconds;
    double amount = std::trunc(delta);
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
    for (const Unit& candidate : units) {
        if (std::abs(delta) >= candidate.seconds) {
            amount = std::trunc(delta / candidate.seconds);
            unit = candidate.unit;
            break;
        }
    }
    // A negative zero would read "0 sec. ago"; the platform writes the present as "in 0 sec.".
    if (amount == 0)
        amount = 0.0;
    const icu::RelativeDateTimeFormatter* formatter = formatterFor(locale);
    if (!formatter)
        return {};
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString result;
    formatter->formatNumeric(amount, unit, result, status);
    if (U_FAILURE(status))
        return {};
    return QString(reinterpret_cast<const QChar*>(result.getBuffer()), result.length());
}

} // namespace stowline::RelativeTimeText
