#include "app/platform/wayland/DataControlClipboard.h"

#include "app/platform/wayland/DataControlProtocol.h"
#include "app/platform/wayland/WaylandConnection.h"

#include <QRandomGenerator>

#include <wayland-client.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace stowline {

namespace {

constexpr qsizetype kChunk = 64 * 1024;

DataControlClipboard* clipboardOf(void* data) {
    return static_cast<DataControlClipboard*>(data);
}

} // namespace

DataControlClipboard::DataControlClipboard(WaylandConnection& connection, const DataControlProtocol& protocol,
                                           std::function<void()> changed)
    : m_connection(connection)
    , m_protocol(protocol)
    , m_changed(std::move(changed))
    , m_ownMarker(QStringLiteral("application/x-stowline-source-%1-%2")
                      .arg(getpid())
                      .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'))) {
    if (connection.seat() == nullptr)
        return;
    m_manager = static_cast<wl_proxy*>(connection.bind(protocol.managerInterface(), protocol.maximumVersion()));
    if (m_manager == nullptr)
        return;
    m_device = protocol.getDevice(m_manager, connection.seat());
    static const DataControlProtocol::DeviceListener listener{&onDataOffer, &onSelection, &onFinished,
                                                              &onPrimarySelection};
    DataControlProtocol::addListener(m_device, &listener, this);
}

DataControlClipboard::~DataControlClipboard() {
    closeReadFd();
    for (const auto& [fd, transfer] : m_transfers)
        close(fd);
    for (const auto& [offer, types] : m_announced)
        DataControlProtocol::destroyObject(offer);
    if (m_entry.offer != nullptr)
        DataControlProtocol::destroyObject(m_entry.offer);
    for (const auto& [source, state] : m_sources)
        DataControlProtocol::destroyObject(source);
    if (m_device != nullptr)
        DataControlProtocol::destroyObject(m_device);
    if (m_manager != nullptr)
        DataControlProtocol::destroyManager(m_manager);
}

void DataControlClipboard::onDataOffer(void* data, wl_proxy*, wl_proxy* offer) {
    clipboardOf(data)->m_announced[offer];
    static const DataControlProtocol::OfferListener listener{&onOfferMimeType};
    DataControlProtocol::addListener(offer, &listener, data);
}

void DataControlClipboard::onOfferMimeType(void* data, wl_proxy* offer, const char* mimeType) {
    const auto found = clipboardOf(data)->m_announced.find(offer);
    if (found != clipboardOf(data)->m_announced.end())
        found->second.append(QString::fromUtf8(mimeType));
}

void DataControlClipboard::onSelection(void* data, wl_proxy*, wl_proxy* offer) {
    clipboardOf(data)->selectionChanged(offer);
}

void DataControlClipboard::onPrimarySelection(void* data, wl_proxy*, wl_proxy* offer) {
    if (offer == nullptr)
        return;
    clipboardOf(data)->m_announced.erase(offer);
    DataControlProtocol::destroyObject(offer);
}

void DataControlClipboard::onFinished(void* data, wl_proxy* device) {
    DataControlClipboard* self = clipboardOf(data);
    DataControlProtocol::destroyObject(device);
    self->m_device = nullptr;
}

void DataControlClipboard::selectionChanged(wl_proxy* offer) {
    QStringList mimeTypes;
    if (offer != nullptr) {
        const auto found = m_announced.find(offer);
        if (found != m_announced.end()) {
            mimeTypes = std::move(found->second);
            m_announced.erase(found);
        }
    }
    if (m_read)
        abandonRead();
    if (m_entry.offer != nullptr)
        DataControlProtocol::destroyObject(m_entry.offer);
    m_entry = Entry{offer, mimeTypes, ++m_changeCount, mimeTypes.contains(m_ownMarker), std::nullopt, {}};
    m_changed();
    serveNextRequest();
}

void DataControlClipboard::requestRead(const PasteboardReadLimits& limits, std::function<void(Read)> done) {
    m_requests.push_back({limits, std::move(done)});
    serveNextRequest();
}

void DataControlClipboard::serveNextRequest() {
    while (!m_read && !m_requests.empty()) {
        const Request& request = m_requests.front();
        std::optional<Read> answer;
        if (m_entry.result && m_entry.resultLimits.perRepresentation == request.limits.perRepresentation &&
            m_entry.resultLimits.total == request.limits.total &&
            m_entry.resultLimits.skipWhenOffered == request.limits.skipWhenOffered) {
            answer = m_entry.result;
        } else {
            Read read{m_entry.changeCount, m_entry.isOwn, {}, {}};
            QList<PasteboardOffer::Read> reads;
            if (!m_entry.isOwn) {
                read.markerTypes = PasteboardOffer::markerTypes(m_entry.mimeTypes);
                // A secret that will not be captured is never read into the process.
                if (!read.markerTypes.intersects(request.limits.skipWhenOffered))
                    reads = PasteboardOffer::readsFor(m_entry.mimeTypes);
            }
            if (m_entry.offer == nullptr || reads.isEmpty()) {
                answer = read;
            } else {
                m_read = ActiveRead{};
                m_read->reads = std::move(reads);
                m_read->deadline = m_connection.addTimer(WaylandConnection::Clock::now() + readDeadline, [this] {
                    // The owner did not answer in time: the entry gives nothing.
                    m_read->deadline = 0;
                    finishRead({});
                });
                startNextType();
                return;
            }
        }
        std::function<void(Read)> done = std::move(m_requests.front().done);
        m_requests.pop_front();
        done(*answer);
    }
}

void DataControlClipboard::startNextType() {
    while (m_read->next < m_read->reads.size()) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            m_read->data.append(QByteArray());
            ++m_read->next;
            continue;
        }
        const QByteArray mimeType = m_read->reads[m_read->next].mimeType.toUtf8();
        DataControlProtocol::receive(m_entry.offer, mimeType.constData(), fds[1]);
        // The request holds its own copy of the write end: once ours is closed, the owner's close is our end of file.
        close(fds[1]);
        wl_display_flush(m_connection.display());
        fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
        m_read->fd = fds[0];
        m_read->buffer.clear();
        m_connection.watch(fds[0], POLLIN, [this](short) { readAvailable(); });
        return;
    }
    confirmEntry();
}

void DataControlClipboard::confirmEntry() {
    // An owner that exits in the middle of an answer ends it as a complete one would. Its entry is gone by then,
    // and the compositor tells so before it answers a round trip asked for now: a read still current after it
    // was not cut short.
    static const wl_callback_listener listener{[](void* data, wl_callback* callback, uint32_t) {
        DataControlClipboard* self = clipboardOf(data);
        wl_callback_destroy(callback);
        if (!self->m_read || self->m_read->sync != callback)
            return;
        self->m_read->sync = nullptr;
        self->finishRead(
            PasteboardOffer::representations(self->m_read->reads, self->m_read->data, self->m_requests.front().limits));
    }};
    m_read->sync = wl_display_sync(m_connection.display());
    wl_callback_add_listener(m_read->sync, &listener, this);
}

void DataControlClipboard::readAvailable() {
    const PasteboardReadLimits& limits = m_requests.front().limits;
    QByteArray& buffer = m_read->buffer;
    for (;;) {
        const qsizetype size = buffer.size();
        buffer.resize(size + kChunk);
        const ssize_t count = ::read(m_read->fd, buffer.data() + size, kChunk);
        buffer.resize(size + std::max<ssize_t>(count, 0));
        if (count > 0) {
            if (buffer.size() > limits.perRepresentation) {
                finishType(false);
                return;
            }
            continue;
        }
        if (count == 0) {
            // No bytes from an offered type means the owner could not give it (it may have exited), not an empty
            // value.
            finishType(!buffer.isEmpty());
            return;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            finishType(false);
        return;
    }
}

void DataControlClipboard::finishType(bool keep) {
    closeReadFd();
    m_read->keptBytes += keep ? m_read->buffer.size() : 0;
    m_read->data.append(keep ? std::move(m_read->buffer) : QByteArray());
    m_read->buffer = {};
    ++m_read->next;
    if (m_read->keptBytes > m_requests.front().limits.total) {
        finishRead({});
        return;
    }
    startNextType();
}

void DataControlClipboard::finishRead(ClipRepresentations representations) {
    closeReadFd();
    if (m_read->deadline != 0)
        m_connection.cancelTimer(m_read->deadline);
    m_read.reset();
    Request request = std::move(m_requests.front());
    m_requests.pop_front();
    Read result{m_entry.changeCount, false, PasteboardOffer::markerTypes(m_entry.mimeTypes),
                std::move(representations)};
    m_entry.result = result;
    m_entry.resultLimits = request.limits;
    request.done(std::move(result));
    serveNextRequest();
}

void DataControlClipboard::abandonRead() {
    closeReadFd();
    if (m_read->deadline != 0)
        m_connection.cancelTimer(m_read->deadline);
    m_read.reset();
    Request request = std::move(m_requests.front());
    m_requests.pop_front();
    // The entry changed while it was read: this answer is for the old one, which gives nothing.
    request.done(Read{m_entry.changeCount, false, PasteboardOffer::markerTypes(m_entry.mimeTypes), {}});
}

void DataControlClipboard::closeReadFd() {
    if (!m_read || m_read->fd < 0)
        return;
    m_connection.unwatch(m_read->fd);
    close(m_read->fd);
    m_read->fd = -1;
}

void DataControlClipboard::write(const QList<QPair<QString, QByteArray>>& types) {
    if (m_device == nullptr)
        return;
    wl_proxy* source = nullptr;
    if (!types.isEmpty()) {
        source = m_protocol.createSource(m_manager);
        static const DataControlProtocol::SourceListener listener{&onSend, &onCancelled};
        DataControlProtocol::addListener(source, &listener, this);
        Source& state = m_sources[source];
        for (const auto& [mimeType, data] : types) {
            if (state.data.contains(mimeType))
                continue;
            state.data.insert(mimeType, data);
            DataControlProtocol::offer(source, mimeType.toUtf8().constData());
        }
        state.data.insert(m_ownMarker, {});
        DataControlProtocol::offer(source, m_ownMarker.toUtf8().constData());
    }
    DataControlProtocol::setSelection(m_device, source);
    // Only now: destroying the old source first would leave the clipboard empty for a moment.
    if (m_currentSource != nullptr) {
        DataControlProtocol::destroyObject(m_currentSource);
        m_sources.erase(m_currentSource);
    }
    m_currentSource = source;
    wl_display_flush(m_connection.display());
}

void DataControlClipboard::onSend(void* data, wl_proxy* source, const char* mimeType, int32_t fd) {
    DataControlClipboard* self = clipboardOf(data);
    const auto found = self->m_sources.find(source);
    if (found == self->m_sources.end()) {
        close(fd);
        return;
    }
    self->startTransfer(fd, found->second.data.value(QString::fromUtf8(mimeType)));
}

void DataControlClipboard::onCancelled(void* data, wl_proxy* source) {
    DataControlClipboard* self = clipboardOf(data);
    self->m_sources.erase(source);
    if (self->m_currentSource == source)
        self->m_currentSource = nullptr;
    DataControlProtocol::destroyObject(source);
}

void DataControlClipboard::startTransfer(int fd, QByteArray data) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    m_transfers[fd] = Transfer{std::move(data), 0, 0};
    m_connection.watch(fd, POLLOUT, [this, fd](short) { continueTransfer(fd); });
    continueTransfer(fd);
}

void DataControlClipboard::continueTransfer(int fd) {
    Transfer& transfer = m_transfers[fd];
    // A pipe takes at most its buffer's worth at once; the rest waits until the reader has taken some.
    while (transfer.offset < transfer.data.size()) {
        const qsizetype size = std::min(kChunk, transfer.data.size() - transfer.offset);
        const ssize_t written = ::write(fd, transfer.data.constData() + transfer.offset, size_t(size));
        if (written > 0) {
            transfer.offset += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno == EAGAIN) {
            if (transfer.stallTimer != 0)
                m_connection.cancelTimer(transfer.stallTimer);
            transfer.stallTimer = m_connection.addTimer(WaylandConnection::Clock::now() + sendStallTimeout, [this, fd] {
                m_transfers[fd].stallTimer = 0;
                endTransfer(fd);
            });
            return;
        }
        break;
    }
    endTransfer(fd);
}

void DataControlClipboard::endTransfer(int fd) {
    const auto found = m_transfers.find(fd);
    if (found == m_transfers.end())
        return;
    if (found->second.stallTimer != 0)
        m_connection.cancelTimer(found->second.stallTimer);
    m_connection.unwatch(fd);
    close(fd);
    m_transfers.erase(found);
}

} // namespace stowline
