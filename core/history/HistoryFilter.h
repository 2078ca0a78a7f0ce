#pragma once

#include "core/model/ClipItem.h"
#include "core/model/EnumTraits.h"

namespace stowline {

// The kind filter of the history panel, in the order of its filter bar. The raw value is also the label.
enum class HistoryFilter { all, text, links, images, files, credentials };

template <>
struct EnumTraits<HistoryFilter> {
    using F = HistoryFilter;
    static constexpr std::array cases{F::all, F::text, F::links, F::images, F::files, F::credentials};
    static constexpr std::array<const char16_t*, 6> rawValues{u"All",    u"Text",  u"Links",
                                                              u"Images", u"Files", u"Credentials"};
    static constexpr std::array<const char16_t*, 6> labels = rawValues;
};

inline QString rawValue(HistoryFilter filter) {
    return rawValueOf(filter);
}
inline QString label(HistoryFilter filter) {
    return labelOf(filter);
}

// Whether an entry passes the filter.
bool passes(HistoryFilter filter, const ClipItem& item);

} // namespace stowline
