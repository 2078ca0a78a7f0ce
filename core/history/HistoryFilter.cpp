#include "core/history/HistoryFilter.h"

namespace stowline {

bool passes(HistoryFilter filter, const ClipItem& item) {
    switch (filter) {
    case HistoryFilter::all:
        return true;
    case HistoryFilter::text:
        return item.kind() == ClipKind::text || item.kind() == ClipKind::richText || item.kind() == ClipKind::color;
    case HistoryFilter::links:
        return item.kind() == ClipKind::link;
    case HistoryFilter::images:
        return item.kind() == ClipKind::image;
    case HistoryFilter::files:
        return item.kind() == ClipKind::file;
    case HistoryFilter::credentials:
        return item.isCredential();
    }
    return false;
}

} // namespace stowline
