#include "core/search/FoldedTextBlock.h"

#include "core/search/ByteSearch.h"

namespace stowline {

namespace {

constexpr char separator = '\xFF';

// Folding leaves most texts near their UTF-8 size, and the kind and format labels are short.
qsizetype estimatedFoldedSize(const QList<ClipItem>& items) {
    qsizetype size = 0;
    for (const ClipItem& item : items) {
        size += item.previewUtf8().size() + (item.titleBeginsPreview() ? 0 : item.titleUtf8().size()) +
                item.sourceAppName().value_or(QString()).size() +
                item.sourceBundleIdentifier().value_or(QString()).size() +
                item.recognizedText().value_or(QString()).size() + 32;
    }
    return size;
}

} // namespace

FoldedTextBlock::FoldedTextBlock(QList<ClipItem> items, const TextFolder& folder)
    : m_size(items.size()), m_folder(folder), m_pending(std::move(items)) {}

QByteArrayView FoldedTextBlock::text(qsizetype index) const {
    std::call_once(m_folding, [this] { fold(); });
    const qsizetype begin = index == 0 ? 0 : m_ends[size_t(index - 1)] + 1;
    return QByteArrayView(m_text).sliced(begin, m_ends[size_t(index)] - begin);
}

std::vector<bool> FoldedTextBlock::matching(const SmartSearch& search) const {
    std::call_once(m_folding, [this] { fold(); });
    std::vector<quint32> required(size_t(m_size), 0);
    quint32 count = 0;
    for (const QByteArray& term : search.requiredUtf8())
        countOccurrences(term, required, count++);
    std::vector<quint32> excluded(size_t(m_size), 0);
    for (const QByteArray& term : search.excludedUtf8())
        countOccurrences(term, excluded, 0);
    std::vector<bool> result(static_cast<size_t>(m_size));
    for (size_t i = 0; i < result.size(); ++i)
        result[i] = required[i] == count && excluded[i] == 0;
    return result;
}

void FoldedTextBlock::countOccurrences(QByteArrayView term, std::vector<quint32>& counts, quint32 count) const {
    size_t entry = 0;
    for (qsizetype at = ByteSearch::find(m_text, term); at >= 0;) {
        while (m_ends[entry] < at)
            ++entry;
        if (counts[entry] == count)
            counts[entry] = count + 1;
        // One occurrence per entry is enough.
        at = ByteSearch::find(m_text, term, m_ends[entry] + 1);
    }
}

void FoldedTextBlock::fold() const {
    m_ends.reserve(size_t(m_size));
    // Reserved once, so the buffer does not grow in steps: each step would leave its freed block behind in the
    // folding thread's heap, which the allocator keeps (tens of megabytes for a large history).
    m_text.reserve(estimatedFoldedSize(m_pending));
    for (const ClipItem& item : std::as_const(m_pending)) {
        m_text += foldedSearchableText(item, m_folder);
        m_ends.push_back(m_text.size());
        m_text += separator;
    }
    m_text.squeeze();
    m_pending = QList<ClipItem>();
}

} // namespace stowline
