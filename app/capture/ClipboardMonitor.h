#pragma once

#include "app/concurrency/SerialQueue.h"
#include "app/platform/FrontmostApplication.h"
#include "core/metadata/CapturedContentMetadata.h"
#include "core/model/ClipItem.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <QUuid>

#include <optional>

namespace stowline {

class AppPreferences;
class HistoryStore;
class ImageTextRecognitionCoordinator;
class Pasteboard;
struct PasteboardSnapshot;

// Watches the clipboard and turns every change made by another application into a history entry. Polls, and
// also looks at once when the clipboard announces a change. The clipboard's backend reads the entry on its own
// worker and hands back a finished snapshot; item creation runs on the ".capture" queue; everything else runs on
// the GUI thread, which never waits for another application.
class ClipboardMonitor : public QObject {
    Q_OBJECT

public:
    static constexpr int pollIntervalMilliseconds = 250;
    static constexpr qint64 perRepresentationLimit = 8 * 1024 * 1024;
    static constexpr qint64 totalLimit = 16 * 1024 * 1024;
    static constexpr int thumbnailMaxWidth = 560;
    static constexpr int thumbnailMaxHeight = 320;
    static constexpr int thumbnailJpegQuality = 78;

    // Whatever is on the clipboard now counts as seen: content from before the launch is never captured.
    ClipboardMonitor(Pasteboard& pasteboard, FrontmostApplication& frontmost, HistoryStore& store,
                     AppPreferences& preferences, ImageTextRecognitionCoordinator& imageTextRecognition,
                     QObject* parent = nullptr);

    // Starts polling; a second call does nothing.
    void start();
    // Ends polling, for termination.
    void stop();
    // Waits for copies still being turned into clips and puts them into the history.
    void finishPendingCaptures();

    // One poll: when the clipboard changed and capture is on, asks for the entry; its snapshot decides the rest.
    void tick();

    Pasteboard& pasteboard() { return m_pasteboard; }
    // After the application wrote the clipboard: the write is seen and never becomes an entry.
    void markOwnWrite();
    qint64 lastChangeCount() const { return m_lastChangeCount; }
    qint64 ownChangeCount() const { return m_ownChangeCount; }

    // A JPEG that fits the first PNG or TIFF representation into 560 × 320 without enlarging it.
    static std::optional<QByteArray> makeThumbnail(const ClipRepresentations& representations);
    // The size of the first PNG or TIFF representation whose header can be read.
    static std::optional<CapturedContentMetadata::PixelDimensions>
    imagePixelDimensions(const ClipRepresentations& representations);

Q_SIGNALS:
    // A captured entry reached the history; `id` is the entry that now holds the content.
    void captured(const QUuid& id);

private:
    struct Snapshot {
        ClipRepresentations representations;
        std::optional<QString> sourceName;
        std::optional<QString> sourceBundleID;
        bool wasConcealed = false;
    };

    // The change a snapshot was asked for, with the application that was in front when it was seen.
    struct PendingRead {
        qint64 changeCount = 0;
        std::optional<RunningApplication> application;
    };

    void takeSnapshot(const PasteboardSnapshot& snapshot);
    std::optional<RunningApplication> sourceApplication() const;
    bool isExcluded(const std::optional<RunningApplication>& application) const;
    static std::optional<ClipItem> makeItem(const Snapshot& snapshot);
    void ingest(ClipItem item, qint64 limit);

    Pasteboard& m_pasteboard;
    FrontmostApplication& m_frontmost;
    HistoryStore& m_store;
    AppPreferences& m_preferences;
    ImageTextRecognitionCoordinator& m_imageTextRecognition;
    QTimer m_timer;
    qint64 m_lastChangeCount;
    qint64 m_ownChangeCount = -1;
    std::optional<PendingRead> m_pendingRead;
    // Last, so its jobs and results never outlive the members they read.
    SerialQueue m_processingQueue;
};

} // namespace stowline
