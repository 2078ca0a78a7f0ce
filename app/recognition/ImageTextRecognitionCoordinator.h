#pragma once

#include "app/concurrency/SerialQueue.h"
#include "core/model/ClipItem.h"
#include "core/support/Result.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <mutex>
#include <optional>

namespace stowline {

class HistoryStore;
class TextRecognizer;

// Fresh captures are recognised before the clips queued at start-up.
enum class RecognitionOrigin { capture, backfill };

enum class RecognitionError {
    missingImageRepresentation,
    recognizerFailed,
};

// Recognises the text in image clips one at a time on the ".ocr" queue, fresh captures before the start-up
// backfill, and writes each result back into the clip on the GUI thread.
class ImageTextRecognitionCoordinator : public QObject {
    Q_OBJECT

public:
    // `recognizer` is used on the worker only and must outlive the coordinator.
    ImageTextRecognitionCoordinator(HistoryStore& store, TextRecognizer& recognizer, QObject* parent = nullptr);
    // Drops the jobs still waiting and waits for the one being recognised.
    ~ImageTextRecognitionCoordinator() override;

    // GUI thread. Queues the clip unless it needs no recognition or the same content is already pending.
    void enqueue(const ClipItem& item, RecognitionOrigin origin);

    // The text of the clip's first PNG, TIFF or JPEG representation, normalised; nothing when it holds no text.
    static Result<std::optional<QString>, RecognitionError> recognizeText(const ClipItem& item,
                                                                          TextRecognizer& recognizer);

Q_SIGNALS:
    // On the GUI thread after a result was handed to the store; `applied` is whether the clip changed.
    void completed(const QString& contentHash, bool applied);

private:
    struct Job {
        ClipItem item;
        RecognitionOrigin origin = RecognitionOrigin::capture;
    };

    void drain();
    void apply(const Job& job, const std::optional<QString>& text);
    void complete(const Job& job, bool applied);
    void forget(const QString& contentHash);

    HistoryStore& m_store;
    TextRecognizer& m_recognizer;
    std::mutex m_stateLock;
    QList<Job> m_recentJobs;
    QList<Job> m_backfillJobs;
    QSet<QString> m_pendingHashes;
    bool m_workerRunning = false;
    // Last, so it stops before the state its drain loop reads goes away.
    SerialQueue m_workerQueue;
};

} // namespace stowline
