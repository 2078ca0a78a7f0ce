#pragma once

#include "app/platform/Pasteboard.h"

#include <chrono>
#include <memory>

class QClipboard;

namespace stowline {

class X11SelectionReader;

// The CLIPBOARD selection. Reading runs on an X connection and thread of its own (`X11SelectionReader`); writing
// goes through QClipboard, which serves our entry from the event loop without ever waiting for a reader. One X11
// entry is one item; each file URI is an item of its own.
class X11Pasteboard final : public Pasteboard {
    Q_OBJECT

public:
    // Long enough for a slow but working owner: a GTK application encoding a 4K screenshot as PNG on request took
    // 2.7 s on a loaded two-core machine, and a loaded office suite about 5 s for its first answer.
    static constexpr std::chrono::milliseconds defaultReadDeadline{10000};

    explicit X11Pasteboard(std::chrono::milliseconds readDeadline = defaultReadDeadline, QObject* parent = nullptr);
    ~X11Pasteboard() override;

    qint64 changeCount() const override { return m_changeCount; }
    void requestSnapshot(const PasteboardReadLimits& limits) override;
    [[nodiscard]] bool write(const ClipRepresentations& representations) override;

private:
    QClipboard* m_clipboard;
    qint64 m_changeCount = 0;
    // Last: its worker calls back into this object until it is gone.
    std::unique_ptr<X11SelectionReader> m_reader;
};

} // namespace stowline
