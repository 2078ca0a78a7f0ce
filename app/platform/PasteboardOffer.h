#pragma once

#include "app/platform/Pasteboard.h"
#include "core/model/ClipRepresentation.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace stowline::PasteboardOffer {

// One MIME type to read from an offer, and the type identifier its data becomes.
struct Read {
    QString typeIdentifier;
    QString mimeType;

    friend bool operator==(const Read&, const Read&) = default;
};

// What to read from an entry that offers these MIME types, in capture-priority order: per capture type the most
// preferred MIME type offered; no TIFF beside a PNG (toolkits offer one image in every format they can encode).
QList<Read> readsFor(const QStringList& offeredMimeTypes);

// The marker type identifiers the entry carries. A password manager's hint marks a secret whatever its value.
QSet<QString> markerTypes(const QStringList& offeredMimeTypes);

// The representations of the data read (one value per read, in the order of `readsFor`, empty where the owner
// gave nothing): a URI list becomes one file item per file URI, items in order. Nothing when the kept data passes
// the total cap; the per-representation cap is the reader's to apply while reading.
ClipRepresentations representations(const QList<Read>& reads, const QList<QByteArray>& data,
                                    const PasteboardReadLimits& limits);

// What of the representations can go on a clipboard: one value per writable type, the lowest item winning a type
// (plain text only when it is UTF-8), and the file URIs of every item, in item order.
struct WriteOffer {
    ClipRepresentations values;
    QList<QByteArray> files;
};
WriteOffer writeOffer(const ClipRepresentations& representations);

// The MIME types and data of the write offer: each value under every MIME type it is read from; files as a URI
// list and as file managers exchange them. Empty when nothing can be written.
QList<QPair<QString, QByteArray>> writeTypes(const ClipRepresentations& representations);

} // namespace stowline::PasteboardOffer
