#include "app/platform/fake/FakePasteboard.h"

#include <QCoreApplication>

#include <algorithm>

namespace stowline {

void FakePasteboard::requestSnapshot(const PasteboardReadLimits& limits) {
    m_lastRequest = limits;
    PasteboardSnapshot snapshot{m_changeCount, m_own, {}, {}};
    if (!m_own) {
        snapshot.markerTypes = m_markers;
        if (m_markers.intersects(limits.skipWhenOffered))
            return answer(std::move(snapshot));
        qint64 total = 0;
        for (const ClipRepresentation& representation : m_contents) {
            if (representation.data.isEmpty() || representation.data.size() > limits.perRepresentation)
                continue;
            total += representation.data.size();
            if (total > limits.total) {
                snapshot.representations.clear();
                break;
            }
            snapshot.representations.append(representation);
        }
    }
    answer(std::move(snapshot));
}

void FakePasteboard::answer(PasteboardSnapshot snapshot) {
    QMetaObject::invokeMethod(
        this, [this, snapshot = std::move(snapshot)] { Q_EMIT snapshotReady(snapshot); }, Qt::QueuedConnection);
}

void FakePasteboard::deliverSnapshots() {
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
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
    changeTo(written, {}, true);
    return true;
}

void FakePasteboard::copy(const ClipRepresentations& representations, const QSet<QString>& markers) {
    changeTo(representations, markers, false);
}

void FakePasteboard::changeTo(ClipRepresentations representations, QSet<QString> markers, bool own) {
    m_contents = std::move(representations);
    m_markers = std::move(markers);
    m_own = own;
    ++m_changeCount;
    Q_EMIT changed();
}

} // namespace stowline
