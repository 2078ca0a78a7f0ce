#include "app/platform/x11/X11Pasteboard.h"

#include "app/platform/x11/PasteboardMimeTypes.h"
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

// The types of one entry, in the order a snapshot takes them from an item.
const QStringList& captureTypes() {
    static const QStringList types{TypeIdentifier::plainText, TypeIdentifier::rtf,  TypeIdentifier::html,
                                   TypeIdentifier::png,       TypeIdentifier::tiff, TypeIdentifier::fileUrl};
    return types;
}

bool isFileUri(const QByteArray& uri) {
    const QUrl url = QUrl::fromEncoded(uri, QUrl::StrictMode);
    return url.isValid() && url.isLocalFile();
}

} // namespace

X11Pasteboard::X11Pasteboard(QObject* parent) : Pasteboard(parent), m_clipboard(QGuiApplication::clipboard()) {
    connect(m_clipboard, &QClipboard::dataChanged, this, [this] {
        ++m_changeCount;
        Q_EMIT changed();
    });
}

bool X11Pasteboard::offers(const QString& typeIdentifier) const {
    const QMimeData* mime = m_clipboard->mimeData(QClipboard::Clipboard);
    if (mime == nullptr)
        return false;
    const QStringList formats = mime->formats();
    if (formats.contains(typeIdentifier))
        return true;
    if (typeIdentifier == TypeIdentifier::concealed)
        return formats.contains(PasteboardMimeTypes::passwordManagerHintType) &&
               mime->data(PasteboardMimeTypes::passwordManagerHintType).trimmed() == "secret";
    const QStringList types = PasteboardMimeTypes::readTypes(typeIdentifier);
    return std::any_of(types.begin(), types.end(), [&](const QString& type) { return formats.contains(type); });
}

ClipRepresentations X11Pasteboard::read(const PasteboardReadLimits& limits) const {
    const QMimeData* mime = m_clipboard->mimeData(QClipboard::Clipboard);
    if (mime == nullptr)
        return {};
    const QStringList formats = mime->formats();
    ClipRepresentations representations;
    qint64 total = 0;
    // False when the entry as a whole is over the cap.
    const auto take = [&](qint64 itemIndex, const QString& typeIdentifier, const QByteArray& data) {
        if (data.isEmpty() || data.size() > limits.perRepresentation)
            return true;
        total += data.size();
        if (total > limits.total)
            return false;
        representations.append({itemIndex, typeIdentifier, data});
        return true;
    };

    QList<QByteArray> files;
    if (formats.contains(PasteboardMimeTypes::uriListType))
        files = PasteboardMimeTypes::fileUris(mime->data(PasteboardMimeTypes::uriListType));
    for (const QString& typeIdentifier : captureTypes()) {
        if (typeIdentifier == TypeIdentifier::fileUrl) {
            for (qsizetype i = 0; i < files.size(); ++i) {
                if (!take(i, typeIdentifier, files[i]))
                    return {};
            }
            continue;
        }
        for (const QString& type : PasteboardMimeTypes::readTypes(typeIdentifier)) {
            if (!formats.contains(type))
                continue;
            const QByteArray data = mime->data(type);
            if (data.isEmpty())
                continue;
            if (!take(0, typeIdentifier, data))
                return {};
            break;
        }
    }
    // Files come last in the walk above but belong to their items; keep item order as the entry lists them.
    std::stable_sort(
        representations.begin(), representations.end(),
        [](const ClipRepresentation& a, const ClipRepresentation& b) { return a.itemIndex < b.itemIndex; });
    return representations;
}

void X11Pasteboard::clear() {
    m_clipboard->clear(QClipboard::Clipboard);
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
