#include "app/platform/fake/FakeTextRecognizer.h"

namespace stowline {

Result<QStringList, TextRecognitionError> FakeTextRecognizer::recognize(const QByteArray& imageBytes) {
    ++m_calls;
    const std::lock_guard lock(m_mutex);
    const auto found = m_answers.constFind(imageBytes);
    if (found == m_answers.cend())
        return fail(TextRecognitionError::undecodableImage);
    return *found;
}

void FakeTextRecognizer::setLines(const QByteArray& imageBytes, const QStringList& lines) {
    const std::lock_guard lock(m_mutex);
    m_answers.insert(imageBytes, lines);
}

void FakeTextRecognizer::setError(const QByteArray& imageBytes, TextRecognitionError error) {
    const std::lock_guard lock(m_mutex);
    m_answers.insert(imageBytes, fail(error));
}

} // namespace stowline
