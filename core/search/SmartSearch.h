#pragma once

#include "core/model/ClipItem.h"
#include "core/search/TextFolder.h"

#include <QByteArrayList>
#include <QByteArrayView>
#include <QStringList>
#include <QStringView>

namespace stowline {

// The query language of the search field: every word must occur, every word written with a leading minus must
// not, compared after folding.
class SmartSearch {
public:
    explicit SmartSearch(QStringView query, const TextFolder& folder = TextFolder());

    const QStringList& requiredTerms() const { return m_requiredTerms; }
    const QStringList& excludedTerms() const { return m_excludedTerms; }
    bool isEmpty() const { return m_requiredTerms.isEmpty() && m_excludedTerms.isEmpty(); }
    // The folder the terms were folded with.
    const TextFolder& folder() const { return m_folder; }
    // The terms encoded as UTF-8, for matching folded UTF-8 text.
    const QByteArrayList& requiredUtf8() const { return m_requiredUtf8; }
    const QByteArrayList& excludedUtf8() const { return m_excludedUtf8; }

    // Folds the joined texts on every call.
    bool matches(const QStringList& texts) const;
    // Matches text that was already folded with the same folder and encoded as UTF-8.
    bool matchesFolded(QByteArrayView foldedUtf8) const;

    friend bool operator==(const SmartSearch& a, const SmartSearch& b) {
        return a.m_requiredTerms == b.m_requiredTerms && a.m_excludedTerms == b.m_excludedTerms;
    }

private:
    TextFolder m_folder;
    QStringList m_requiredTerms;
    QStringList m_excludedTerms;
    QByteArrayList m_requiredUtf8;
    QByteArrayList m_excludedUtf8;
};

// The texts of a clip that a search looks at, in order.
QStringList searchableTexts(const ClipItem& item);
// The searchable texts joined with line feeds and folded, as UTF-8: what `SmartSearch::matchesFolded` expects.
QByteArray foldedSearchableText(const ClipItem& item, const TextFolder& folder);

// Whether the clip satisfies the query.
bool matches(const ClipItem& item, QStringView query, const TextFolder& folder = TextFolder());

} // namespace stowline
