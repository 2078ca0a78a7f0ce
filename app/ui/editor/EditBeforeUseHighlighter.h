#pragma once

#include "core/highlight/TextSyntaxHighlighter.h"

#include <QSyntaxHighlighter>

namespace stowline {

// Colours the editor's text from the core's runs. The colours live in the text layout, not in the document, so
// they never enter the undo history and never move the selection. Between an edit and the next colouring the
// runs are shifted with the edit, so the text keeps its colours while the user types.
class EditBeforeUseHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit EditBeforeUseHighlighter(QTextDocument* document);

    // New runs for the document's whole text (they cover only the highlighted prefix); recolours every block.
    void setRuns(QList<HighlightRun> runs);
    // Recolours with the runs it has, for an appearance switch.
    void recolour();

protected:
    void highlightBlock(const QString& text) override;

private:
    void shiftRuns(int position, int removed, int added);

    QList<HighlightRun> m_runs; // sorted by location, not overlapping
    bool m_recolouring = false;
};

} // namespace stowline
