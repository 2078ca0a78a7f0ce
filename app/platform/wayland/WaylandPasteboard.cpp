#include "app/platform/wayland/WaylandPasteboard.h"

#include "app/platform/PasteboardOffer.h"
#include "app/platform/wayland/DataControlClipboard.h"
#include "app/platform/wayland/WaylandSession.h"

#include <QPointer>

namespace stowline {

WaylandPasteboard::WaylandPasteboard(std::shared_ptr<WaylandSession> session, QObject* parent)
    : Pasteboard(parent), m_session(std::move(session)) {
    connect(m_session.get(), &WaylandSession::clipboardChanged, this, &Pasteboard::changed);
}

qint64 WaylandPasteboard::changeCount() const {
    return m_session->changeCount();
}

void WaylandPasteboard::requestSnapshot(const PasteboardReadLimits& limits) {
    if (m_session->isLost()) {
        // Still one answer per request; without a compositor there is no entry to read.
        QMetaObject::invokeMethod(
            this,
            [this] {
                Q_EMIT snapshotReady({changeCount(), false, {}, {}});
            },
            Qt::QueuedConnection);
        return;
    }
    // Made here, on the GUI thread, and looked at only there.
    QPointer<WaylandPasteboard> guard(this);
    WaylandSession* session = m_session.get();
    m_session->post([limits, guard, session](DataControlClipboard& clipboard) {
        clipboard.requestRead(limits, [guard, session](DataControlClipboard::Read read) {
            QMetaObject::invokeMethod(
                session,
                [guard, read = std::move(read)] {
                    if (guard)
                        Q_EMIT guard->snapshotReady(
                            {read.changeCount, read.isOwnWrite, read.markerTypes, read.representations});
                },
                Qt::QueuedConnection);
        });
    });
}

bool WaylandPasteboard::write(const ClipRepresentations& representations) {
    QList<QPair<QString, QByteArray>> types = PasteboardOffer::writeTypes(representations);
    if (types.isEmpty())
        return false;
    m_session->post([types = std::move(types)](DataControlClipboard& clipboard) { clipboard.write(types); });
    return true;
}

} // namespace stowline
