#pragma once

#include "app/platform/Pasteboard.h"

#include <QSet>

namespace stowline {

// An in-memory clipboard holding typed representations as they were written, plus marker types.
class FakePasteboard final : public Pasteboard {
    Q_OBJECT

public:
    using Pasteboard::Pasteboard;

    qint64 changeCount() const override { return m_changeCount; }
    bool offers(const QString& typeIdentifier) const override;
    ClipRepresentations read(const PasteboardReadLimits& limits) const override;
    void clear() override;
    [[nodiscard]] bool write(const ClipRepresentations& representations) override;

    // What another application would do: replace the entry, with the given marker types offered as well.
    void copy(const ClipRepresentations& representations, const QSet<QString>& markers = {});
    const ClipRepresentations& contents() const { return m_contents; }
    // Types `write` refuses, to play a clipboard that cannot take some data.
    void setUnwritableTypes(const QSet<QString>& types) { m_unwritable = types; }

private:
    void changeTo(ClipRepresentations representations, QSet<QString> markers);

    ClipRepresentations m_contents;
    QSet<QString> m_markers;
    QSet<QString> m_unwritable;
    qint64 m_changeCount = 0;
};

} // namespace stowline
