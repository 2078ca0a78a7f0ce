#pragma once

#include "core/model/ClipItem.h"
#include "core/model/ClipListUpgrade.h"

#include <QByteArrayView>
#include <QList>
#include <QUrl>

#include <optional>

namespace stowline::CapturedContentMetadata {

inline constexpr qint64 currentVersion = 1;

struct PixelDimensions {
    qint64 width = 0;
    qint64 height = 0;

    friend bool operator==(const PixelDimensions&, const PixelDimensions&) = default;
};

// The summed size of the files, or nothing unless every URL names a regular file (not a folder, not a symbolic
// link, not missing) whose size can be read. Folders are never walked.
std::optional<qint64> aggregateRegularFileSize(const QList<QUrl>& urls);
// The pixel size of the first image of PNG or TIFF data, read from its header without decoding the image.
std::optional<PixelDimensions> imagePixelDimensions(QByteArrayView data);
// The file URLs of a file clip's "public.file-url" representations, in order; unreadable ones are skipped.
QList<QUrl> fileUrls(const ClipRepresentations& representations);
// Derives missing metadata of a clip stored under older rules and marks it with the current version; returns
// whether it changed.
bool upgradeClip(ClipItem& item);
// The same for every clip.
ClipListUpgrade upgrade(QList<ClipItem> items);

} // namespace stowline::CapturedContentMetadata
