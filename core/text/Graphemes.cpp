#include "core/text/Graphemes.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

#include <memory>

namespace stowline::Graphemes {

namespace {

// Creating a break iterator loads rule data; one per thread is made once and reused.
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        return U_SUCCESS(status) ? std::move(created) : nullptr;
    }();
    return iterator.get();
}

// Walks cluster boundaries with ICU without copying the text; returns the UTF-16 offset after `limit` clusters
// and the number of clusters passed.
std::pair<qsizetype, qsizetype> walkWithIcu(QStringView text, qsizetype limit) {
    if (text.isEmpty() || limit <= 0)
        return {0, 0};
    icu::BreakIterator* iterator = characterIterator();
    if (!iterator) {
        const qsizetype n = std::min(limit, text.size());
        return {n, n};
    }
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    utext_openUChars(&utext, reinterpret_cast<const UChar*>(text.utf16()), text.size(), &status);
    iterator->setText(&utext, status);
    qsizetype clusters = 0;
    qsizetype offset = 0;
    while (clusters < limit) {
        const int32_t next = iterator->next();
        if (next == icu::BreakIterator::DONE)
            break;
        offset = next;
        ++clusters;
    }
    // Leave the iterator pointing at nothing that outlives this call.
    UText empty = UTEXT_INITIALIZER;
    utext_openUChars(&empty, u"", 0, &status);
    iterator->setText(&empty, status);
    utext_close(&empty);
    utext_close(&utext);
    return {offset, clusters};
}

// Nothing below U+0300 extends, joins or prepends, so between two such code units there is always a boundary,
// except inside "\r\n". Those stretches (most text) are counted one unit at a time; ICU walks only the rest,
// between boundaries found that way, which its rules see whole.
constexpr char16_t firstJoining = 0x0300;

bool isBoundary(QStringView text, qsizetype offset) {
    if (offset == 0 || offset == text.size())
        return true;
    const char16_t before = text[offset - 1].unicode();
    const char16_t after = text[offset].unicode();
    return before < firstJoining && after < firstJoining && !(before == u'\r' && after == u'\n');
}

std::pair<qsizetype, qsizetype> walk(QStringView text, qsizetype limit) {
    qsizetype offset = 0;
    qsizetype clusters = 0;
    const qsizetype size = text.size();
    while (offset < size && clusters < limit) {
        qsizetype end = offset + 1;
        if (end < size && text[offset] == u'\r' && text[end] == u'\n')
            ++end;
        if (isBoundary(text, end) && text[offset].unicode() < firstJoining) {
            offset = end;
            ++clusters;
            continue;
        }
        while (!isBoundary(text, end))
            ++end;
        const auto [length, counted] = walkWithIcu(text.sliced(offset, end - offset), limit - clusters);
        offset += length;
        clusters += counted;
    }
    return {offset, clusters};
}

} // namespace

qsizetype count(QStringView text) {
    return walk(text, std::numeric_limits<qsizetype>::max()).second;
}

qsizetype countUpTo(QStringView text, qsizetype limit) {
    return walk(text, limit).second;
}

qsizetype prefixLength(QStringView text, qsizetype characters) {
    return walk(text, characters).first;
}

QStringView prefix(QStringView text, qsizetype characters) {
    return text.first(prefixLength(text, characters));
}

} // namespace stowline::Graphemes
