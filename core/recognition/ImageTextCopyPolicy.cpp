#include "core/recognition/ImageTextCopyPolicy.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <limits>
#include <memory>

namespace stowline::ImageTextCopyPolicy {

namespace {

bool isLineTerminator(char16_t c) {
    return c == u'\n' || c == u'\r' || c == 0x85 || c == 0x2028 || c == 0x2029;
}

ImageTextCopySelection select(QStringView text, qsizetype start, qsizetype end) {
    return {text.sliced(start, end - start).toString(), start, end - start};
}

std::optional<ImageTextCopySelection> lineSelection(QStringView text, qsizetype index) {
    // The line feed of a carriage return plus line feed belongs to the line the pair ends.
    qsizetype position = index;
    if (text[position] == u'\n' && position > 0 && text[position - 1] == u'\r')
        --position;
    qsizetype start = position;
    while (start > 0 && !isLineTerminator(text[start - 1].unicode()))
        --start;
    qsizetype end = position;
    while (end < text.size() && !isLineTerminator(text[end].unicode()))
        ++end;
    if (end < text.size())
        end += text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1;
    while (end > start && (text[end - 1] == u'\n' || text[end - 1] == u'\r'))
        --end;
    if (end == start)
        return std::nullopt;
    return select(text, start, end);
}

// Word iterators load rule data; one per thread is made once and reused.
icu::BreakIterator* wordIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createWordInstance(icu::Locale::getDefault(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

std::optional<ImageTextCopySelection> wordSelection(QStringView text, qsizetype index) {
    icu::BreakIterator* iterator = wordIterator();
    if (!iterator)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    utext_openUChars(&utext, text.utf16(), text.size(), &status);
    iterator->setText(&utext, status);
    // The segment around the offset ends at the first boundary after it; the status of that boundary tells
    // whether the segment is a word (letters, numbers, kana, ideographs) or spaces and punctuation.
    const int32_t end = iterator->following(static_cast<int32_t>(index));
    const bool isWord = iterator->getRuleStatus() != UBRK_WORD_NONE;
    const int32_t start = iterator->preceding(end);
    // Leave the iterator pointing at nothing that outlives this call.
    UText empty = UTEXT_INITIALIZER;
    utext_openUChars(&empty, u"", 0, &status);
    iterator->setText(&empty, status);
    utext_close(&empty);
    utext_close(&utext);
    if (U_FAILURE(status) || !isWord || end == icu::BreakIterator::DONE || start == icu::BreakIterator::DONE)
        return std::nullopt;
    const qsizetype clampedStart = std::max<qsizetype>(start, 0);
    const qsizetype clampedEnd = std::min<qsizetype>(end, text.size());
    if (clampedEnd <= clampedStart)
        return std::nullopt;
    return select(text, clampedStart, clampedEnd);
}

} // namespace

std::optional<ImageTextCopySelection> selection(QStringView text, const ImageTextCopyIntent& intent) {
    if (text.isEmpty())
        return std::nullopt;
    const qsizetype index = intent.utf16Index();
    switch (intent.kind()) {
    case ImageTextCopyIntent::Kind::wholeText:
        return select(text, 0, text.size());
    case ImageTextCopyIntent::Kind::line:
        if (index < 0 || index >= text.size())
            return std::nullopt;
        return lineSelection(text, index);
    case ImageTextCopyIntent::Kind::word:
        // ICU offsets are 32-bit; a text view never holds a longer text.
        if (index < 0 || index >= text.size() || text.size() > std::numeric_limits<int32_t>::max())
            return std::nullopt;
        return wordSelection(text, index);
    }
    return std::nullopt;
}

} // namespace stowline::ImageTextCopyPolicy
