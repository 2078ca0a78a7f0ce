#include "app/platform/x11/X11Pasteboard.h"

#include "app/platform/PasteboardMimeTypes.h"
#include "app/platform/PasteboardOffer.h"
#include "app/platform/x11/X11SelectionReader.h"
#include "app/platform/x11/XcbConnection.h"
#include "core/text/Utf8.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

// Qt's X client, whose windows (its clipboard owner among them) make an entry ours.
X11SelectionReader::OwnClient applicationClient() {
    const XcbConnection connection = XcbConnection::ofApplication();
    if (!connection.isValid())
        return {};
    const xcb_setup_t* setup = xcb_get_setup(connection.get());
    return {setup->resource_id_base, setup->resource_id_mask};
}

} // namespace

X11Pasteboard::X11Pasteboard(std::chrono::milliseconds readDeadline, QObject* parent)
    : Pasteboard(parent), m_clipboard(QGuiApplication::clipboard()) {
    // The reader stops before this object goes, and what it queued goes with the object.
    X11SelectionReader::Callbacks callbacks{
        [this](qint64 changeCount) {
            QMetaObject::invokeMethod(
                this,
                [this, changeCount] {
                    m_changeCount = changeCount;
                    Q_EMIT changed();
                },
                Qt::QueuedConnection);
        },
        [this](PasteboardSnapshot snapshot) {
            QMetaObject::invokeMethod(
                this, [this, snapshot = std::move(snapshot)] { Q_EMIT snapshotReady(snapshot); }, Qt::QueuedConnection);
        }};
    m_reader = std::make_unique<X11SelectionReader>(applicationClient(), readDeadline, std::move(callbacks));
}

X11Pasteboard::~X11Pasteboard() = default;

void X11Pasteboard::requestSnapshot(const PasteboardReadLimits& limits) {
    m_reader->request(limits);
}
bool X11Pasteboard::write(const ClipRepresentations& representations) {
    const PasteboardOffer::WriteOffer offer = PasteboardOffer::writeOffer(representations);
    if (offer.values.isEmpty() && offer.files.isEmpty())
        return false;
    auto mime = std::make_unique<QMimeData>();
    for (const ClipRepresentation& value : offer.values) {
        // Qt offers the text under every X11 text target; the charset type carries the exact bytes.
        if (value.typeIdentifier == TypeIdentifier::plainText)
            mime->setText(Utf8::decode(value.data).value_or(QString()));
        mime->setData(PasteboardMimeTypes::readTypes(value.typeIdentifier).first(), value.data);
    }
    if (!offer.files.isEmpty()) {
        mime->setData(PasteboardMimeTypes::uriListType, PasteboardMimeTypes::uriList(offer.files));
        mime->setData(PasteboardMimeTypes::gnomeCopiedFilesType, PasteboardMimeTypes::gnomeCopiedFiles(offer.files));
    }
    m_clipboard->setMimeData(mime.release(), QClipboard::Clipboard);
    return true;
}

} // namespace stowline
