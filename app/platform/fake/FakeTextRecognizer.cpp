#include "app/platform/fake/FakeTextRecognizer.h"

namespace stowline {

Result<QStringList, TextRecognitionError> FakeTextRecognizer::recognize(const QByteArray& imageBytes) {
    std::unique_lock lock(m_mutex);
    m_requests.append(imageBytes);
    ++m_calls;
    m_released.wait(lock, [this] { return !m_held; });
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

QByteArrayList FakeTextRecognizer::requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void FakeTextRecognizer::hold() {
    const std::lock_guard lock(m_mutex);
    m_held = true;
}

void FakeTextRecognizer::release() {
    {
        const std::lock_guard lock(m_mutex);
        m_held = false;
    }
    m_released.notify_all();
}

} // namespace stowline
