#pragma once

#include "app/platform/TextRecognizer.h"

#include <QByteArrayList>
#include <QHash>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace stowline {

// Answers from a table keyed by image bytes; unknown images are undecodable. Thread-safe like the real one.
class FakeTextRecognizer final : public TextRecognizer {
public:
    Result<QStringList, TextRecognitionError> recognize(const QByteArray& imageBytes) override;

    void setLines(const QByteArray& imageBytes, const QStringList& lines);
    void setError(const QByteArray& imageBytes, TextRecognitionError error);
    int callCount() const { return m_calls.load(); }
    // The images asked about, in the order the calls began.
    QByteArrayList requests() const;
    // While held, every call waits (after it is counted), so a test can fill a queue behind a running call.
    void hold();
    void release();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    QByteArrayList m_requests;
    QHash<QByteArray, Result<QStringList, TextRecognitionError>> m_answers;
    std::atomic<int> m_calls = 0;
};

} // namespace stowline
