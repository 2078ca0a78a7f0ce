#pragma once

#include "app/platform/TextRecognizer.h"

#include <QHash>

#include <atomic>
#include <mutex>

namespace stowline {

// Answers from a table keyed by image bytes; unknown images are undecodable. Thread-safe like the real one.
class FakeTextRecognizer final : public TextRecognizer {
public:
    Result<QStringList, TextRecognitionError> recognize(const QByteArray& imageBytes) override;

    void setLines(const QByteArray& imageBytes, const QStringList& lines);
    void setError(const QByteArray& imageBytes, TextRecognitionError error);
    int callCount() const { return m_calls.load(); }

private:
    std::mutex m_mutex;
    QHash<QByteArray, Result<QStringList, TextRecognitionError>> m_answers;
    std::atomic<int> m_calls = 0;
};

} // namespace stowline
