#pragma once

#include "core/model/ClipItem.h"

#include <QByteArray>
#include <QColor>
#include <QFileDevice>
#include <QImage>
#include <QMap>
#include <QString>

namespace stowline::test {

// The file's bytes, empty when it cannot be read.
QByteArray contents(const QString& path);

// Replaces the file's bytes; fails the current test when it cannot.
void write(const QString& path, const QByteArray& bytes);

// Every file below `root` (hidden ones too) with its bytes: two equal snapshots mean nothing was touched.
QMap<QString, QByteArray> snapshot(const QString& root);

// Only the bits chmod sets; Qt adds the "user" variants of the owner bits.
QFileDevice::Permissions permissionsOf(const QString& path);

QStringList titles(const QList<ClipItem>& items);

// The image as a file of `format` holds it.
QByteArray encoded(const QImage& image, const char* format = "PNG", int quality = -1);

// A one-colour image, encoded.
QByteArray encodedImage(int width, int height, const QColor& colour = Qt::darkCyan, const char* format = "PNG");

} // namespace stowline::test
