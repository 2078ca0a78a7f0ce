#include "app/platform/PasteboardMimeTypes.h"

#include "core/model/ClipRepresentation.h"

#include <QUrl>

using namespace Qt::StringLiterals;

namespace stowline::PasteboardMimeTypes {

QStringList readTypes(const QString& typeIdentifier) {
    if (typeIdentifier == TypeIdentifier::plainText)
        return {u"text/plain;charset=utf-8"_s, u"UTF8_STRING"_s, u"text/plain"_s};
    if (typeIdentifier == TypeIdentifier::rtf)
        return {u"text/rtf"_s, u"application/rtf"_s};
    if (typeIdentifier == TypeIdentifier::html)
        return {u"text/html"_s};
    if (typeIdentifier == TypeIdentifier::png)
        return {pngType};
    if (typeIdentifier == TypeIdentifier::tiff)
        return {u"image/tiff"_s};
    if (typeIdentifier == TypeIdentifier::fileUrl)
        return {uriListType};
    return {};
}

QList<QByteArray> fileUris(const QByteArray& uriList) {
    QList<QByteArray> uris;
    for (QByteArray line : uriList.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile())
            uris.append(line);
    }
    return uris;
}

QByteArray uriList(const QList<QByteArray>& uris) {
    QByteArray list;
    for (const QByteArray& uri : uris)
        list += uri + "\r\n";
    return list;
}

QByteArray gnomeCopiedFiles(const QList<QByteArray>& uris) {
    return "copy\n" + uris.join('\n');
}

} // namespace stowline::PasteboardMimeTypes
