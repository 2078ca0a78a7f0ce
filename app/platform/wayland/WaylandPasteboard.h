#pragma once

#include "app/platform/Pasteboard.h"

#include <memory>

namespace stowline {

class WaylandSession;

// The clipboard through the session's data-control clipboard, read and written on the session's worker. One
// Wayland entry is one item; each file URI is an item of its own.
class WaylandPasteboard final : public Pasteboard {
    Q_OBJECT

public:
    explicit WaylandPasteboard(std::shared_ptr<WaylandSession> session, QObject* parent = nullptr);

    qint64 changeCount() const override;
    void requestSnapshot(const PasteboardReadLimits& limits) override;
    [[nodiscard]] bool write(const ClipRepresentations& representations) override;

private:
    std::shared_ptr<WaylandSession> m_session;
};

} // namespace stowline
