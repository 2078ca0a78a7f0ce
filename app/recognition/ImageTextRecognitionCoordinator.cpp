#include "app/recognition/ImageTextRecognitionCoordinator.h"

#include "app/platform/TextRecognizer.h"
#include "app/store/HistoryStore.h"
#include "core/recognition/ImageTextRecognitionPolicy.h"
#include "core/support/AppIdentity.h"

namespace stowline {

ImageTextRecognitionCoordinator::ImageTextRecognitionCoordinator(HistoryStore& store, TextRecognizer& recognizer,
                                                                 QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_recognizer(recognizer)
    , m_workerQueue(AppIdentity::applicationIdentifier() + QStringLiteral(".ocr"), SerialQueue::Priority::utility) {}

ImageTextRecognitionCoordinator::~ImageTextRecognitionCoordinator() {
    // The drain loop finds the lists empty after its current image and ends, so quitting never waits for the
    // whole backfill.
    const std::lock_guard lock(m_stateLock);
    m_recentJobs.clear();
    m_backfillJobs.clear();
}

void ImageTextRecognitionCoordinator::enqueue(const ClipItem& item, RecognitionOrigin origin) {
    if (!ImageTextRecognitionPolicy::needsRecognition(item))
        return;
    {
        const std::lock_guard lock(m_stateLock);
        if (m_pendingHashes.contains(item.contentHash()))
            return;
        m_pendingHashes.insert(item.contentHash());
        (origin == RecognitionOrigin::backfill ? m_backfillJobs : m_recentJobs).append(Job{item, origin});
        if (m_workerRunning)
            return;
        m_workerRunning = true;
    }
    // The queue belongs to this object and is stopped before the rest of it goes away, so the loop may use it.
    m_workerQueue.post([this] { drain(); });
}

void ImageTextRecognitionCoordinator::drain() {
    for (;;) {
        Job job;
        {
            const std::lock_guard lock(m_stateLock);
            if (!m_recentJobs.isEmpty()) {
                job = m_recentJobs.takeLast();
            } else if (!m_backfillJobs.isEmpty()) {
                job = m_backfillJobs.takeLast();
            } else {
                m_workerRunning = false;
                return;
            }
        }
        const auto result = recognizeText(job.item, m_recognizer);
        if (!result.ok()) {
            // Dropped without a version, so the next start-up's backfill tries again.
            forget(job.item.contentHash());
            continue;
        }
        QMetaObject::invokeMethod(
            this, [this, job = std::move(job), text = *result] { apply(job, text); }, Qt::QueuedConnection);
    }
}

Result<std::optional<QString>, RecognitionError>
ImageTextRecognitionCoordinator::recognizeText(const ClipItem& item, TextRecognizer& recognizer) {
    static const QString jpeg = QStringLiteral("public.jpeg");
    for (const ClipRepresentation& representation : item.representations()) {
        const QString& type = representation.typeIdentifier;
        if (type != TypeIdentifier::png && type != TypeIdentifier::tiff && type != jpeg)
            continue;
        const auto lines = recognizer.recognize(representation.data);
        if (!lines.ok())
            return fail(RecognitionError::recognizerFailed);
        return ImageTextRecognitionPolicy::normalizedText(*lines);
    }
    return fail(RecognitionError::missingImageRepresentation);
}

void ImageTextRecognitionCoordinator::apply(const Job& job, const std::optional<QString>& text) {
    const bool applied = m_store.applyRecognizedText(job.item.id(), job.item.contentHash(), text,
                                                     ImageTextRecognitionPolicy::currentVersion);
    complete(job, applied);
    Q_EMIT completed(job.item.contentHash(), applied);
}

void ImageTextRecognitionCoordinator::complete(const Job& job, bool applied) {
    forget(job.item.contentHash());
    if (applied)
        return;
    // A newer copy of the same image may have replaced the clip while it was being recognised.
    for (const ClipItem& current : m_store.items()) {
        if (current.contentHash() != job.item.contentHash())
            continue;
        if (ImageTextRecognitionPolicy::needsRecognition(current))
            enqueue(current, RecognitionOrigin::capture);
        return;
    }
}

void ImageTextRecognitionCoordinator::forget(const QString& contentHash) {
    const std::lock_guard lock(m_stateLock);
    m_pendingHashes.remove(contentHash);
}

} // namespace stowline
