#pragma once

#include "app/platform/Pasteboard.h"

class QClipboard;
class QMimeData;

namespace stowline {

// The clipboard reader the application had before its own: QClipboard, read on the GUI thread while the owner
// answers, Qt's timeout of 5 s per type. The capture bench measures against it; it writes nothing.
class QtClipboardPasteboard final : public Pasteboard {
    Q_OBJECT

public:
    explicit QtClipboardPasteboard(QObject* parent = nullptr);

    qint64 changeCount() const override { return m_changeCount; }
    void requestSnapshot(const PasteboardReadLimits& limits) override;
    [[nodiscard]] bool write(const ClipRepresentations& representations) override;

private:
    PasteboardSnapshot snapshot(const PasteboardReadLimits& limits) const;
    static ClipRepresentations read(const QMimeData* mime, const PasteboardReadLimits& limits);

    QClipboard* m_clipboard;
    qint64 m_changeCount = 0;
};

} // namespace stowline
