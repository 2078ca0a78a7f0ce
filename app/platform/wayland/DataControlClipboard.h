#pragma once

#include "app/platform/Pasteboard.h"
#include "app/platform/PasteboardOffer.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

struct wl_callback;
struct wl_proxy;

namespace stowline {

class DataControlProtocol;
class WaylandConnection;

// The seat's clipboard through a data-control protocol, which needs no keyboard focus. Lives on the connection's
// worker: every function but `changeCount` is called there, and so are the callbacks. Each entry is read at most
// once, one MIME type after the other through a pipe watched by the worker's poll, with one deadline per entry and
// the caps applied while reading.
class DataControlClipboard {
public:
    static constexpr std::chrono::milliseconds readDeadline{5000};
    // A reader of our own entry that takes nothing for this long is dropped.
    static constexpr std::chrono::milliseconds sendStallTimeout{10000};

    // What one read of the entry found.
    struct Read {
        qint64 changeCount = 0;
        bool isOwnWrite = false;
        QSet<QString> markerTypes;
        ClipRepresentations representations;
    };

    // Binds the protocol's manager and the seat's device; before the connection starts. `changed` runs on the
    // worker after `changeCount` moved.
    DataControlClipboard(WaylandConnection& connection, const DataControlProtocol& protocol,
                         std::function<void()> changed);
    ~DataControlClipboard();
    DataControlClipboard(const DataControlClipboard&) = delete;
    DataControlClipboard& operator=(const DataControlClipboard&) = delete;

    bool isValid() const { return m_device != nullptr; }
    // Any thread. Moves on every selection event, our own included.
    qint64 changeCount() const { return m_changeCount.load(); }

    // Reads the current entry and hands the result to `done`, once, in request order.
    void requestRead(const PasteboardReadLimits& limits, std::function<void(Read)> done);
    // Offers the MIME types with their data as the new entry; none offered clears it.
    void write(const QList<QPair<QString, QByteArray>>& types);

private:
    struct Entry {
        wl_proxy* offer = nullptr;
        QStringList mimeTypes;
        qint64 changeCount = 0;
        bool isOwn = false;
        std::optional<Read> result;
        PasteboardReadLimits resultLimits;
    };
    struct Request {
        PasteboardReadLimits limits;
        std::function<void(Read)> done;
    };
    struct ActiveRead {
        QList<PasteboardOffer::Read> reads;
        QList<QByteArray> data;
        qsizetype next = 0;
        int fd = -1;
        QByteArray buffer;
        qint64 keptBytes = 0;
        quint64 deadline = 0;
        // The round trip that lets a replacement of the entry arrive before the read counts as complete.
        wl_callback* sync = nullptr;
    };
    struct Source {
        QHash<QString, QByteArray> data;
    };
    struct Transfer {
        QByteArray data;
        qsizetype offset = 0;
        quint64 stallTimer = 0;
    };

    static void onDataOffer(void* data, wl_proxy* device, wl_proxy* offer);
    static void onSelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void onFinished(void* data, wl_proxy* device);
    static void onPrimarySelection(void* data, wl_proxy* device, wl_proxy* offer);
    static void onOfferMimeType(void* data, wl_proxy* offer, const char* mimeType);
    static void onSend(void* data, wl_proxy* source, const char* mimeType, int32_t fd);
    static void onCancelled(void* data, wl_proxy* source);

    void selectionChanged(wl_proxy* offer);
    void serveNextRequest();
    void startNextType();
    void readAvailable();
    void confirmEntry();
    void finishType(bool keep);
    void finishRead(ClipRepresentations representations);
    void abandonRead();
    void closeReadFd();
    void startTransfer(int fd, QByteArray data);
    void continueTransfer(int fd);
    void endTransfer(int fd);

    WaylandConnection& m_connection;
    const DataControlProtocol& m_protocol;
    std::function<void()> m_changed;
    wl_proxy* m_manager = nullptr;
    wl_proxy* m_device = nullptr;
    std::atomic<qint64> m_changeCount = 0;
    // Offers announced but not yet made the selection, with the MIME types seen so far.
    std::map<wl_proxy*, QStringList> m_announced;
    Entry m_entry;
    std::deque<Request> m_requests;
    std::optional<ActiveRead> m_read;
    // Marks our own sources' offers, so their selection is known for our write whoever reports it.
    QString m_ownMarker;
    std::map<wl_proxy*, Source> m_sources;
    wl_proxy* m_currentSource = nullptr;
    std::map<int, Transfer> m_transfers;
};

} // namespace stowline
