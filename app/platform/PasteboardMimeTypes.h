#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace stowline::PasteboardMimeTypes {

// The MIME types (X11 targets as Qt names them, Wayland MIME types) that may carry a type identifier, in order of
// preference. Marker and unknown identifiers have none.
QStringList readTypes(const QString& typeIdentifier);

// The file URIs of a text/uri-list, in order: comments, blank lines and other schemes are not files.
QList<QByteArray> fileUris(const QByteArray& uriList);

// A text/uri-list holding the URIs, and the same URIs as file managers exchange a copied selection.
QByteArray uriList(const QList<QByteArray>& uris);
QByteArray gnomeCopiedFiles(const QList<QByteArray>& uris);

inline const QString pngType = QStringLiteral("image/png");
inline const QString uriListType = QStringLiteral("text/uri-list");
inline const QString gnomeCopiedFilesType = QStringLiteral("x-special/gnome-copied-files");
// Password managers mark secrets with this type; its value differs between them ("secret", "1").
inline const QString passwordManagerHintType = QStringLiteral("x-kde-passwordManagerHint");

} // namespace stowline::PasteboardMimeTypes
