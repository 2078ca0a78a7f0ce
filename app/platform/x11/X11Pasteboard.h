#pragma once

#include "app/platform/Pasteboard.h"

class QClipboard;

namespace stowline {

// The CLIPBOARD selection through QClipboard. One X11 entry is one item; each file URI is an item of its own.
class X11Pasteboard final : public Pasteboard {
    Q_OBJECT

public:
    explicit X11Pasteboard(QObject* parent = nullptr);

    qint64 changeCount() const override { return m_changeCount; }
    bool offers(const QString& typeIdentifier) const override;
    ClipRepresentations read(const PasteboardReadLimits& limits) const override;
    void clear() override;
    [[nodiscard]] bool write(const ClipRepresentations& representations) override;

private:
    QClipboard* m_clipboard;
    qint64 m_changeCount = 0;
};

} // namespace stowline
