#pragma once

#include "core/model/ClipItem.h"
#include "core/search/SmartSearch.h"
#include "core/search/TextFolder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <mutex>
#include <vector>

namespace stowline {

// The folded searchable texts of a run of clips in one buffer, so that a query over all of them is one linear
// scan. Folding waits until the texts are first needed and then happens once for the whole run, on whichever
// thread asks first; others asking meanwhile wait for it. Afterwards the block is only read, so copies of a
// history on different threads can share it.
class FoldedTextBlock {
public:
    FoldedTextBlock(QList<ClipItem> items, const TextFolder& folder);

    qsizetype size() const { return m_size; }
    // The folded searchable text of the entry at `index`, as `foldedSearchableText` gives it.
    QByteArrayView text(qsizetype index) const;
    // One flag per entry: whether its texts satisfy the search.
    std::vector<bool> matching(const SmartSearch& search) const;

private:
    void fold() const;
    // Marks the entries in which `term` occurs, stepping `count` of those at `count` to `count` + 1.
    void countOccurrences(QByteArrayView term, std::vector<quint32>& counts, quint32 count) const;

    qsizetype m_size = 0;
    TextFolder m_folder;
    mutable std::once_flag m_folding;
    mutable QList<ClipItem> m_pending;
    // Each entry's text followed by a byte that never occurs in UTF-8, so no term matches across two entries.
    mutable QByteArray m_text;
    // Where each entry's separator lies.
    mutable std::vector<qsizetype> m_ends;
};

} // namespace stowline
