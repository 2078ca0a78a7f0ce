#include "app/platform/fake/FakePasteboard.h"

#include <algorithm>

namespace stowline {

bool FakePasteboard::offers(const QString& typeIdentifier) const {
    return m_markers.contains(typeIdentifier) ||
           std::any_of(m_contents.cbegin(), m_contents.cend(),
                       [&](const ClipRepresentation& r) { return r.typeIdentifier == typeIdentifier; });
}

ClipRepresentations FakePasteboard::read(const PasteboardReadLimits& limits) const {
    ClipRepresentations kept;
    qint64 total = 0;
    for (const ClipRepresentation& representation : m_contents) {
        if (representation.data.isEmpty() || representation.data.size() > limits.perRepresentation)
            continue;
        total += representation.data.size();
        if (total > limits.total)
            return {};
        kept.append(representation);
    }
    return kept;
}

void FakePasteboard::clear() {
    changeTo({}, {});
}

bool FakePasteboard::write(const ClipRepresentations& representations) {
    ClipRepresentations written;
    for (const ClipRepresentation& representation : representations) {
        if (!m_unwritable.contains(representation.typeIdentifier))
            written.append(representation);
    }
    if (written.isEmpty())
        return false;
    std::stable_sort(written.begin(), written.end(), [](const ClipRepresentation& a, const ClipRepresentation& b) {
        return a.itemIndex < b.itemIndex;
    });
    changeTo(written, {});
    return true;
}

void FakePasteboard::copy(const ClipRepresentations& representations, const QSet<QString>& markers) {
    changeTo(representations, markers);
}

void FakePasteboard::changeTo(ClipRepresentations representations, QSet<QString> markers) {
    m_contents = std::move(representations);
    m_markers = std::move(markers);
    ++m_changeCount;
    Q_EMIT changed();
}

} // namespace stowline
