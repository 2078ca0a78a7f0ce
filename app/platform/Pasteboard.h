#pragma once

#include "core/model/ClipRepresentation.h"

#include <QObject>
#include <QString>

namespace stowline {

// Size caps for one read of the clipboard entry, chosen by the caller.
struct PasteboardReadLimits {
    // A representation larger than this is dropped; the others of the same entry remain.
    qint64 perRepresentation = 0;
    // When the kept representations add up to more than this, the whole read yields nothing.
    qint64 total = 0;
};

// The system clipboard as typed representations. Type identifiers are the platform-neutral ones of
// `TypeIdentifier`; only the backend knows the platform's own type names. Used on the GUI thread only.
class Pasteboard : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Increases on every change of the clipboard entry, including the application's own writes (which have
    // moved it by the time `write` or `clear` returns). Starts at 0.
    virtual qint64 changeCount() const = 0;

    // Whether the current entry offers the type: a capture type or one of the marker types (concealed,
    // transient, auto-generated).
    virtual bool offers(const QString& typeIdentifier) const = 0;

    // The current entry's capture types, item by item and within an item in capture-priority order. Empty when
    // the entry offers nothing wanted or exceeds the total cap. Representations with empty data are left out.
    virtual ClipRepresentations read(const PasteboardReadLimits& limits) const = 0;

    virtual void clear() = 0;

    // Replaces the entry with the representations, grouped by item index into one offer. Types that cannot be
    // written are skipped; when none can be written, the entry is left untouched and the result is false.
    [[nodiscard]] virtual bool write(const ClipRepresentations& representations) = 0;

Q_SIGNALS:
    // Emitted after `changeCount` has moved.
    void changed();
};

} // namespace stowline
