#include "app/platform/wayland/WaylandSession.h"

#include "app/platform/wayland/DataControlClipboard.h"
#include "app/platform/wayland/DataControlProtocol.h"
#include "app/platform/wayland/SyntheticKeyboard.h"
#include "app/platform/wayland/ToplevelTracker.h"
#include "app/platform/wayland/WaylandConnection.h"

namespace stowline {

std::shared_ptr<WaylandSession> WaylandSession::open() {
    std::unique_ptr<WaylandConnection> connection = WaylandConnection::open();
    if (!connection)
        return nullptr;
    std::shared_ptr<WaylandSession> session(new WaylandSession);
    WaylandSession* self = session.get();
    const WaylandCapabilities& capabilities = connection->capabilities();
    if (capabilities.dataControl()) {
        const DataControlProtocol& protocol =
            capabilities.extDataControl ? DataControlProtocol::ext() : DataControlProtocol::wlr();
        session->m_clipboard = std::make_unique<DataControlClipboard>(*connection, protocol, [self] {
            QMetaObject::invokeMethod(
                self, [self] { Q_EMIT self->clipboardChanged(); }, Qt::QueuedConnection);
        });
    }
    session->m_toplevels = ToplevelTracker::create(*connection);
    session->m_keyboard = SyntheticKeyboard::create(*connection);
    session->m_connection = std::move(connection);
    session->m_connection->start();
    return session;
}

WaylandSession::~WaylandSession() {
    if (m_connection)
        m_connection->stop();
    m_clipboard.reset();
    m_toplevels.reset();
    m_keyboard.reset();
}

const WaylandCapabilities& WaylandSession::capabilities() const {
    return m_connection->capabilities();
}

bool WaylandSession::canReadClipboard() const {
    return m_clipboard && m_clipboard->isValid();
}

void WaylandSession::post(std::function<void(DataControlClipboard&)> job) {
    if (!m_clipboard)
        return;
    m_connection->post([clipboard = m_clipboard.get(), job = std::move(job)] { job(*clipboard); });
}

void WaylandSession::postToToplevels(std::function<void(ToplevelTracker&)> job) {
    if (!m_toplevels)
        return;
    m_connection->post([toplevels = m_toplevels.get(), job = std::move(job)] { job(*toplevels); });
}

void WaylandSession::postToKeyboard(std::function<void(SyntheticKeyboard&, const ToplevelTracker*)> job) {
    if (!m_keyboard)
        return;
    m_connection->post([keyboard = m_keyboard.get(), toplevels = m_toplevels.get(), job = std::move(job)] {
        job(*keyboard, toplevels);
    });
}

bool WaylandSession::isLost() const {
    return m_connection->isLost();
}

qint64 WaylandSession::changeCount() const {
    return m_clipboard ? m_clipboard->changeCount() : 0;
}

} // namespace stowline
