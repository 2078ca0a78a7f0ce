#pragma once

#include "app/platform/Pasteboard.h"

#include <chrono>
#include <functional>
#include <memory>

namespace stowline {

// Reads the CLIPBOARD selection on a thread and X connection of its own. XFixes tells it of every new owner; a
// request reads the current entry with ConvertSelection (INCR included) into a requestor window made for that
// entry alone, each target into a property of its own, so a late or stray answer can never land on another type.
// One deadline bounds the whole entry, and every value is measured before it is fetched, so a read stops at the caps.
class X11SelectionReader {
public:
    // The application's own X client: windows whose id it allocated are ours, so an entry they own is our write.
    struct OwnClient {
        quint32 resourceIdBase = 0;
        quint32 resourceIdMask = 0;
    };
    // Called on the worker thread.
    struct Callbacks {
        // The clipboard has a new owner (or none); `changeCount` is the count of that change.
        std::function<void(qint64 changeCount)> changed;
        // The answer to one `request`, in request order.
        std::function<void(PasteboardSnapshot snapshot)> snapshotReady;
    };

    X11SelectionReader(OwnClient ownClient, std::chrono::milliseconds deadline, Callbacks callbacks);
    // Stops the worker at once; a read in progress is dropped unanswered.
    ~X11SelectionReader();
    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    // Asks for the current entry; returns at once.
    void request(const PasteboardReadLimits& limits);

private:
    class Worker;
    std::unique_ptr<Worker> m_worker;
};

} // namespace stowline
