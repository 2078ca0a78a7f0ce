#include "app/platform/x11/X11Pasteboard.h"

#include "app/platform/PasteboardMimeTypes.h"
#include "app/platform/x11/X11SelectionReader.h"
#include "app/platform/x11/XcbConnection.h"
#include "core/text/Utf8.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

bool isFileUri(const QByteArray& uri) {
    const QUrl url = QUrl::fromEncoded(uri, QUrl::StrictMode);
    return url.isValid() && url.isLocalFile();
}

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
    ClipRepresentations ordered = representations;
    std::stable_sort(ordered.begin(), ordered.end(), [](const ClipRepresentation& a, const ClipRepresentation& b) {
        return a.itemIndex < b.itemIndex;
    });
    auto mime = std::make_unique<QMimeData>();
    QList<QByteArray> files;
    bool wroteAny = false;
    for (const ClipRepresentation& representation : ordered) {
        const QString& typeIdentifier = representation.typeIdentifier;
        if (typeIdentifier == TypeIdentifier::fileUrl) {
            const QByteArray uri = representation.data.trimmed();
            if (isFileUri(uri))
                files.append(uri);
            continue;
        }
        const QStringList types = PasteboardMimeTypes::readTypes(typeIdentifier);
        // One X11 offer holds one value per type: the lowest item wins.
        if (types.isEmpty() || mime->hasFormat(types.first()))
            continue;
        if (typeIdentifier == TypeIdentifier::plainText) {
            const std::optional<QString> text = Utf8::decode(representation.data);
            if (!text)
                continue;
            // Qt offers the text under every X11 text target; the charset type carries the exact bytes.
            mime->setText(*text);
        }
        mime->setData(types.first(), representation.data);
        wroteAny = true;
    }
    if (!files.isEmpty()) {
        mime->setData(PasteboardMimeTypes::uriListType, PasteboardMimeTypes::uriList(files));
        mime->setData(PasteboardMimeTypes::gnomeCopiedFilesType, PasteboardMimeTypes::gnomeCopiedFiles(files));
        wroteAny = true;
    }
    if (!wroteAny)
        return false;
    m_clipboard->setMimeData(mime.release(), QClipboard::Clipboard);
    return true;
}

} // namespace stowline
