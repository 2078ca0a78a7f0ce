#include "core/search/SmartSearch.h"

#include "core/search/ByteSearch.h"
#include "core/text/Graphemes.h"
#include "core/text/WhiteSpace.h"

namespace stowline {

namespace {

bool contains(QByteArrayView haystack, QByteArrayView needle) {
    return ByteSearch::find(haystack, needle) >= 0;
}

QString joined(const QStringList& texts) {
    return texts.join(u'\n');
}

} // namespace

SmartSearch::SmartSearch(QStringView query, const TextFolder& folder) : m_folder(folder) {
    for (QStringView piece : WhiteSpace::split(query)) {
        const bool excluded = piece.startsWith(u'-') && Graphemes::countUpTo(piece, 2) >= 2;
        const QString term = m_folder.fold(excluded ? piece.sliced(1) : piece);
        if (term.isEmpty())
            continue;
        (excluded ? m_excludedTerms : m_requiredTerms).append(term);
        (excluded ? m_excludedUtf8 : m_requiredUtf8).append(term.toUtf8());
    }
}

bool SmartSearch::matches(const QStringList& texts) const {
    if (isEmpty())
        return true;
    const QString folded = m_folder.fold(joined(texts));
    for (const QString& term : m_requiredTerms) {
        if (!folded.contains(term))
            return false;
    }
    for (const QString& term : m_excludedTerms) {
        if (folded.contains(term))
            return false;
    }
    return true;
}

bool SmartSearch::matchesFolded(QByteArrayView foldedUtf8) const {
    for (const QByteArray& term : m_requiredUtf8) {
        if (!contains(foldedUtf8, term))
            return false;
    }
    for (const QByteArray& term : m_excludedUtf8) {
        if (contains(foldedUtf8, term))
            return false;
    }
    return true;
}

QStringList searchableTexts(const ClipItem& item) {
    return {item.title(),
            item.preview(),
            item.sourceAppName().value_or(QString()),
            item.sourceBundleIdentifier().value_or(QString()),
            label(item.kind()),
            item.recognizedText().value_or(QString()),
            item.textFormat() ? label(*item.textFormat()) : QString()};
}

QByteArray foldedSearchableText(const ClipItem& item, const TextFolder& folder) {
    QStringList texts = searchableTexts(item);
    // A title that begins the preview adds no term the preview lacks; leaving it out keeps the folded copy small.
    if (item.titleBeginsPreview())
        texts.removeFirst();
    return folder.fold(joined(texts)).toUtf8();
}

bool matches(const ClipItem& item, QStringView query, const TextFolder& folder) {
    return SmartSearch(query, folder).matches(searchableTexts(item));
}

} // namespace stowline
