#pragma once

#include "app/platform/Pasteboard.h"

#include <QSet>

namespace stowline {

// An in-memory clipboard holding typed representations as they were written, plus marker types. Snapshots are
// taken when asked for and handed over through the event loop, as a real backend's worker does.
class FakePasteboard final : public Pasteboard {
    Q_OBJECT

public:
    using Pasteboard::Pasteboard;

    qint64 changeCount() const override { return m_changeCount; }
    void requestSnapshot(const PasteboardReadLimits& limits) override;
    [[nodiscard]] bool write(const ClipRepresentations& representations) override;

    // What another application would do: replace the entry, with the given marker types offered as well.
    void copy(const ClipRepresentations& representations, const QSet<QString>& markers = {});
    const ClipRepresentations& contents() const { return m_contents; }
    // Types `write` refuses, to play a clipboard that cannot take some data.
    void setUnwritableTypes(const QSet<QString>& types) { m_unwritable = types; }
    // What the last request asked for.
    const PasteboardReadLimits& lastRequest() const { return m_lastRequest; }
    // Hands the snapshots asked for so far to their receivers now instead of through the event loop.
    void deliverSnapshots();

private:
    void answer(PasteboardSnapshot snapshot);
    void changeTo(ClipRepresentations representations, QSet<QString> markers, bool own);

    ClipRepresentations m_contents;
    QSet<QString> m_markers;
    QSet<QString> m_unwritable;
    PasteboardReadLimits m_lastRequest;
    bool m_own = false;
    qint64 m_changeCount = 0;
};

} // namespace stowline
