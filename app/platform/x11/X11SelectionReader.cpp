#include "app/platform/x11/X11SelectionReader.h"

#include "app/platform/PasteboardMimeTypes.h"
#include "app/platform/x11/XcbConnection.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace stowline {

namespace {

using Clock = std::chrono::steady_clock;

// A TARGETS list longer than this (a quarter of a million types) is not a real offer.
constexpr qint64 targetsCap = 1024 * 1024;
// Requests of one entry: TARGETS, then at most every candidate target of every capture type.
constexpr int propertySlots = 12;

// The capture types in the order a snapshot takes them from an entry.
const QStringList& captureTypes() {
    static const QStringList types{TypeIdentifier::plainText, TypeIdentifier::rtf,  TypeIdentifier::html,
                                   TypeIdentifier::png,       TypeIdentifier::tiff, TypeIdentifier::fileUrl};
    return types;
}

// What came of asking the owner for one target.
enum class Answer { value, refused, tooLarge, overTotal };

} // namespace

class X11SelectionReader::Worker {
public:
    Worker(OwnClient ownClient, std::chrono::milliseconds deadline, Callbacks callbacks)
        : m_ownClient(ownClient)
        , m_deadline(deadline)
        , m_callbacks(std::move(callbacks))
        , m_wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
        , m_thread([this] { run(); }) {}

    ~Worker() {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        wake();
        m_thread.join();
        if (m_wake >= 0)
            ::close(m_wake);
    }

    void request(const PasteboardReadLimits& limits) {
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back(limits);
        }
        wake();
    }

private:
    // One capture type and the targets that may carry it, in order of preference.
    struct Step {
        QString typeIdentifier;
        QList<xcb_atom_t> candidates;
    };

    // The read of one entry.
    struct Read {
        PasteboardReadLimits limits;
        PasteboardSnapshot snapshot;
        xcb_window_t window = XCB_NONE;
        xcb_timestamp_t time = XCB_CURRENT_TIME;
        Clock::time_point deadline;
        QList<Step> steps;
        // -1 while TARGETS is asked for.
        int step = -1;
        int candidate = 0;
        int requests = 0;
        xcb_atom_t target = XCB_ATOM_NONE;
        xcb_atom_t property = XCB_ATOM_NONE;
        qint64 cap = 0;
        bool incremental = false;
        QByteArray value;
        qint64 total = 0;
    };

    void wake() {
        const quint64 one = 1;
        // A full counter already wakes the reader.
        if (m_wake >= 0) {
            [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
        }
    }

    void run() {
        const bool connected = connect();
        while (true) {
            std::optional<PasteboardReadLimits> next;
            {
                const std::lock_guard lock(m_mutex);
                if (m_stopping)
                    break;
                if (!m_read && !m_requests.empty()) {
                    next = m_requests.front();
                    m_requests.pop_front();
                }
            }
            if (next) {
                startRead(*next);
                continue;
            }
            if (connected && xcb_connection_has_error(m_connection) == 0) {
                xcb_flush(m_connection);
                while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                    const XcbPointer<xcb_generic_event_t> owned(event);
                    handle(*event);
                }
            }
            if (m_read && Clock::now() >= m_read->deadline) {
                finish(/*keep*/ false);
                continue;
            }
            waitForWork(connected);
        }
        if (m_read)
            xcb_destroy_window(m_connection, m_read->window);
        if (m_connection != nullptr)
            xcb_disconnect(m_connection);
    }

    void waitForWork(bool connected) {
        pollfd fds[2] = {{m_wake, POLLIN, 0}, {-1, POLLIN, 0}};
        const bool alive = connected && xcb_connection_has_error(m_connection) == 0;
        if (alive)
            fds[1].fd = xcb_get_file_descriptor(m_connection);
        int timeout = -1;
        if (m_read) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_read->deadline - Clock::now());
            timeout = int(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, 60 * 1000));
        }
        ::poll(fds, alive ? 2 : 1, timeout);
        if (fds[0].revents & POLLIN) {
            quint64 count = 0;
            [[maybe_unused]] const ssize_t read = ::read(m_wake, &count, sizeof count);
        }
    }

    bool connect() {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection) != 0)
            return false;
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_root = screen->root;
        const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
        if (xfixes == nullptr || !xfixes->present)
            return false;
        m_xfixesEvent = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        free(xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0), nullptr));
        internAtoms();
        xcb_xfixes_select_selection_input(m_connection, m_root, m_clipboard,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        const XcbPointer<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, m_clipboard), nullptr));
        m_owner = owner ? owner->owner : xcb_window_t{XCB_NONE};
        return true;
    }

    void internAtoms() {
        QList<QByteArray> names{"CLIPBOARD", "TARGETS", "INCR"};
        for (int i = 0; i < propertySlots; ++i)
            names.append("STOWLINE_SELECTION_" + QByteArray::number(i));
        for (const QString& type : captureTypes()) {
            for (const QString& target : PasteboardMimeTypes::readTypes(type))
                names.append(target.toUtf8());
        }
        for (const QString& marker : {TypeIdentifier::concealed, TypeIdentifier::transient,
                                      TypeIdentifier::autoGenerated, PasteboardMimeTypes::passwordManagerHintType})
            names.append(marker.toUtf8());
        // All requests first, then the replies: one round trip instead of one per name.
        QList<xcb_intern_atom_cookie_t> cookies;
        for (const QByteArray& name : names)
            cookies.append(xcb_intern_atom(m_connection, 0, uint16_t(name.size()), name.constData()));
        for (qsizetype i = 0; i < names.size(); ++i) {
            const XcbPointer<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookies[i], nullptr));
            m_atoms.insert(names[i], reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE});
        }
        m_clipboard = m_atoms.value("CLIPBOARD");
        m_targets = m_atoms.value("TARGETS");
        m_incr = m_atoms.value("INCR");
    }

    xcb_atom_t atom(const QString& name) const { return m_atoms.value(name.toUtf8(), XCB_ATOM_NONE); }

    bool isOwn(xcb_window_t owner) const {
        return owner != XCB_NONE && m_ownClient.resourceIdMask != 0 &&
               (owner & ~m_ownClient.resourceIdMask) == m_ownClient.resourceIdBase;
    }

    void handle(const xcb_generic_event_t& event) {
        const uint8_t type = event.response_type & 0x7f;
        if (type == m_xfixesEvent && m_xfixesEvent != 0) {
            const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
            if (notify.selection != m_clipboard)
                return;
            ++m_changeCount;
            m_owner = notify.owner;
            m_ownerTime = notify.selection_timestamp;
            // The entry being read is gone; its owner's late answers go to a window that no longer exists.
            if (m_read)
                finish(/*keep*/ false);
            m_callbacks.changed(m_changeCount);
        } else if (type == XCB_SELECTION_NOTIFY && m_read) {
            const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
            if (notify.requestor != m_read->window || notify.selection != m_clipboard ||
                notify.target != m_read->target || m_read->incremental)
                return;
            if (notify.property != m_read->property)
                answered(Answer::refused);
            else
                receive();
        } else if (type == XCB_PROPERTY_NOTIFY && m_read) {
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if (notify.window == m_read->window && notify.atom == m_read->property &&
                notify.state == XCB_PROPERTY_NEW_VALUE && m_read->incremental)
                receiveChunk();
        }
    }

    void startRead(const PasteboardReadLimits& limits) {
        PasteboardSnapshot snapshot{m_changeCount, isOwn(m_owner), {}, {}};
        if (m_owner == XCB_NONE || snapshot.isOwnWrite || xcb_connection_has_error(m_connection) != 0 ||
            m_xfixesEvent == 0) {
            m_callbacks.snapshotReady(std::move(snapshot));
            return;
        }
        m_read.emplace();
        m_read->limits = limits;
        m_read->snapshot = std::move(snapshot);
        m_read->time = m_ownerTime;
        m_read->deadline = Clock::now() + m_deadline;
        m_read->window = xcb_generate_id(m_connection);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_read->window, m_root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
        ask(m_targets, targetsCap);
    }

    void ask(xcb_atom_t target, qint64 cap) {
        Read& read = *m_read;
        read.target = target;
        read.property = m_atoms.value("STOWLINE_SELECTION_" + QByteArray::number(read.requests++ % propertySlots));
        read.cap = cap;
        read.incremental = false;
        read.value.clear();
        xcb_convert_selection(m_connection, read.window, m_clipboard, target, read.property, read.time);
        xcb_flush(m_connection);
    }

    // The size and type of the property as it stands, without its value.
    XcbPointer<xcb_get_property_reply_t> peek() const {
        return XcbPointer<xcb_get_property_reply_t>(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_read->window, m_read->property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
            nullptr));
    }

    QByteArray take(qint64 bytes) const {
        const XcbPointer<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(m_connection,
                                   xcb_get_property(m_connection, 1, m_read->window, m_read->property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, uint32_t((bytes + 3) / 4)),
                                   nullptr));
        if (!reply)
            return {};
        return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                          xcb_get_property_value_length(reply.get()));
    }

    // What a value of `bytes` means for the entry: fine, too large for its type, or too large for the entry.
    std::optional<Answer> overCap(qint64 bytes) const {
        if (bytes > m_read->cap)
            return Answer::tooLarge;
        if (m_read->step >= 0 && m_read->total + bytes > m_read->limits.total)
            return Answer::overTotal;
        return std::nullopt;
    }

    void receive() {
        const auto head = peek();
        if (!head) {
            answered(Answer::refused);
            return;
        }
        if (head->type == m_incr) {
            // Deleting the size announcement asks the owner for the first chunk.
            m_read->incremental = true;
            xcb_delete_property(m_connection, m_read->window, m_read->property);
            xcb_flush(m_connection);
            return;
        }
        const qint64 bytes = head->bytes_after;
        if (const auto over = overCap(bytes)) {
            xcb_delete_property(m_connection, m_read->window, m_read->property);
            answered(*over);
            return;
        }
        m_read->value = take(bytes);
        answered(Answer::value);
    }

    void receiveChunk() {
        const auto head = peek();
        const qint64 bytes = head ? qint64(head->bytes_after) : 0;
        if (bytes == 0) {
            xcb_delete_property(m_connection, m_read->window, m_read->property);
            answered(Answer::value);
            return;
        }
        // Stops here: the owner waits for a deletion that never comes, and nothing more is held.
        if (const auto over = overCap(m_read->value.size() + bytes)) {
            answered(*over);
            return;
        }
        m_read->value += take(bytes);
        xcb_flush(m_connection);
    }

    void answered(Answer answer) {
        Read& read = *m_read;
        read.incremental = false;
        if (answer == Answer::overTotal) {
            read.snapshot.representations.clear();
            finish(/*keep*/ false);
            return;
        }
        if (read.step < 0) {
            if (answer == Answer::value)
                plan(read.value);
            nextStep(0);
            return;
        }
        const Step& step = read.steps[read.step];
        if (answer == Answer::value && !read.value.isEmpty()) {
            if (!keep(step.typeIdentifier, read.value))
                return;
            nextStep(read.step + 1);
        } else if (answer == Answer::refused || answer == Answer::value) {
            // Nothing under this target: the next one that may carry the type.
            if (read.candidate + 1 < step.candidates.size()) {
                ++read.candidate;
                ask(step.candidates[read.candidate], read.cap);
            } else {
                nextStep(read.step + 1);
            }
        } else {
            nextStep(read.step + 1);
        }
    }

    // Adds the value to the snapshot; false when that puts the entry over the total cap (the read has ended).
    bool keep(const QString& typeIdentifier, const QByteArray& value) {
        Read& read = *m_read;
        QList<QByteArray> values{value};
        if (typeIdentifier == TypeIdentifier::fileUrl)
            values = PasteboardMimeTypes::fileUris(value);
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QByteArray& data = values[i];
            if (data.isEmpty() || data.size() > read.limits.perRepresentation)
                continue;
            read.total += data.size();
            if (read.total > read.limits.total) {
                read.snapshot.representations.clear();
                finish(/*keep*/ false);
                return false;
            }
            const qint64 itemIndex = typeIdentifier == TypeIdentifier::fileUrl ? i : 0;
            read.snapshot.representations.append({itemIndex, typeIdentifier, data});
        }
        return true;
    }

    void plan(const QByteArray& targetList) {
        Read& read = *m_read;
        QSet<xcb_atom_t> offered;
        for (qsizetype at = 0; at + 4 <= targetList.size(); at += 4) {
            xcb_atom_t target = 0;
            std::memcpy(&target, targetList.constData() + at, 4);
            offered.insert(target);
        }
        for (const QString& marker :
             {TypeIdentifier::concealed, TypeIdentifier::transient, TypeIdentifier::autoGenerated}) {
            if (offered.contains(atom(marker)))
                read.snapshot.markerTypes.insert(marker);
        }
        // Password managers mark secrets with a hint whose value differs between them: offering it is enough.
        if (offered.contains(atom(PasteboardMimeTypes::passwordManagerHintType)))
            read.snapshot.markerTypes.insert(TypeIdentifier::concealed);
        if (read.snapshot.markerTypes.intersects(read.limits.skipWhenOffered))
            return;
        const bool offersPng = offered.contains(atom(PasteboardMimeTypes::pngType));
        for (const QString& type : captureTypes()) {
            // GTK and Qt owners offer one copied image in every format their toolkit writes and encode each on
            // request: a TIFF beside the PNG is the same image again, stored twice and paid for with a second
            // encoding.
            if (type == TypeIdentifier::tiff && offersPng)
                continue;
            Step step{type, {}};
            for (const QString& target : PasteboardMimeTypes::readTypes(type)) {
                if (offered.contains(atom(target)))
                    step.candidates.append(atom(target));
            }
            if (!step.candidates.isEmpty())
                read.steps.append(step);
        }
    }

    void nextStep(int step) {
        Read& read = *m_read;
        read.step = step;
        read.candidate = 0;
        if (step >= read.steps.size()) {
            finish(/*keep*/ true);
            return;
        }
        // A file list is split into one representation per file; only the sum of them is bounded.
        const bool files = read.steps[step].typeIdentifier == TypeIdentifier::fileUrl;
        const qint64 cap = files ? read.limits.total - read.total : read.limits.perRepresentation;
        ask(read.steps[step].candidates.first(), cap);
    }

    void finish(bool keep) {
        Read read = std::move(*m_read);
        m_read.reset();
        xcb_destroy_window(m_connection, read.window);
        xcb_flush(m_connection);
        if (!keep)
            read.snapshot.representations.clear();
        // Files come last in the walk but belong to their items; keep item order as the entry lists them.
        std::stable_sort(
            read.snapshot.representations.begin(), read.snapshot.representations.end(),
            [](const ClipRepresentation& a, const ClipRepresentation& b) { return a.itemIndex < b.itemIndex; });
        m_callbacks.snapshotReady(std::move(read.snapshot));
    }

    const OwnClient m_ownClient;
    const std::chrono::milliseconds m_deadline;
    const Callbacks m_callbacks;
    const int m_wake;

    std::mutex m_mutex;
    std::deque<PasteboardReadLimits> m_requests;
    bool m_stopping = false;

    // The worker's own from here on.
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_NONE;
    uint8_t m_xfixesEvent = 0;
    QHash<QByteArray, xcb_atom_t> m_atoms;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_targets = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    qint64 m_changeCount = 0;
    xcb_window_t m_owner = XCB_NONE;
    xcb_timestamp_t m_ownerTime = XCB_CURRENT_TIME;
    std::optional<Read> m_read;

    // Last: it starts running as soon as it is constructed.
    std::thread m_thread;
};

X11SelectionReader::X11SelectionReader(OwnClient ownClient, std::chrono::milliseconds deadline, Callbacks callbacks)
    : m_worker(std::make_unique<Worker>(ownClient, deadline, std::move(callbacks))) {}

X11SelectionReader::~X11SelectionReader() = default;

void X11SelectionReader::request(const PasteboardReadLimits& limits) {
    m_worker->request(limits);
}

} // namespace stowline
