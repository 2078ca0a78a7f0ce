#pragma once

#include "app/platform/Pasteboard.h"

class QClipboard;
class QMimeData;

namespace stowline {

// The CLIPBOARD selection through QClipboard. One X11 entry is one item; each file URI is an item of its own.
class X11Pasteboard final : public Pasteboard {
    Q_OBJECT

public:
    explicit X11Pasteboard(QObject* parent = nullptr);

    qint64 changeCount() const override { return m_changeCount; }
    void requestSnapshot(const PasteboardReadLimits& limits) override;
    void clear() override;
    [[nodiscard]] bool write(const ClipRepresentations& representations) override;

private:
    PasteboardSnapshot snapshot(const PasteboardReadLimits& limits) const;
    static ClipRepresentations read(const QMimeData* mime, const PasteboardReadLimits& limits);

    QClipboard* m_clipboard;
    qint64 m_changeCount = 0;
};

} // namespace stowline
