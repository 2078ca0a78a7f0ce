#include "app/ui/editor/EditBeforeUseHighlighter.h"

#include "app/ui/style/StowlineStyle.h"

#include <QTextDocument>

#include <algorithm>

namespace stowline {

EditBeforeUseHighlighter::EditBeforeUseHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(static_cast<QObject*>(document)) {
    // Connected before the document is attached, so the runs are shifted before the base class recolours the
    // edited block.
    connect(document, &QTextDocument::contentsChange, this, [this](int position, int removed, int added) {
        if (!m_recolouring && removed != added)
            shiftRuns(position, removed, added);
    });
    setDocument(document);
}

void EditBeforeUseHighlighter::setRuns(QList<HighlightRun> runs) {
    m_runs = std::move(runs);
    recolour();
}

void EditBeforeUseHighlighter::recolour() {
    m_recolouring = true;
    rehighlight();
    m_recolouring = false;
}

void EditBeforeUseHighlighter::shiftRuns(int position, int removed, int added) {
    const qsizetype editEnd = position + removed;
    const qsizetype delta = added - removed;
    QList<HighlightRun> shifted;
    shifted.reserve(m_runs.size());
    for (HighlightRun run : std::as_const(m_runs)) {
        const qsizetype end = run.location + run.length;
        if (end <= position) {
            // Before the edit.
        } else if (run.location >= editEnd) {
            run.location += delta;
        } else if (run.location < position && end >= editEnd) {
            // Typing inside a run (a string, a comment) grows it.
            run.length += delta;
        } else if (run.location < position) {
            run.length = position - run.location;
        } else {
            // Starts inside the removed range: what is left of it follows the inserted text.
            run.length = std::max<qsizetype>(0, end - editEnd);
            run.location = position + added;
        }
        if (run.length > 0)
            shifted.append(run);
    }
    m_runs = std::move(shifted);
}

void EditBeforeUseHighlighter::highlightBlock(const QString& text) {
    const qsizetype blockStart = currentBlock().position();
    const qsizetype blockEnd = blockStart + text.size();
    auto run = std::upper_bound(m_runs.cbegin(), m_runs.cend(), blockStart,
                                [](qsizetype value, const HighlightRun& r) { return value < r.location + r.length; });
    for (; run != m_runs.cend() && run->location < blockEnd; ++run) {
        const qsizetype from = std::max(run->location, blockStart);
        const qsizetype to = std::min(run->location + run->length, blockEnd);
        if (to > from)
            setFormat(int(from - blockStart), int(to - from), StowlineStyle::color(run->role));
    }
}

} // namespace stowline
