#include "app/ui/editor/EditBeforeUseTextView.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

namespace stowline {

namespace {

constexpr Qt::KeyboardModifiers chordModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

} // namespace

EditBeforeUseTextView::EditBeforeUseTextView(QWidget* parent) : QPlainTextEdit(parent) {
    setUndoRedoEnabled(true);
    setTabChangesFocus(false);
    setAccessibleName(QStringLiteral("Edited text"));
}

QString EditBeforeUseTextView::text() const {
    // toPlainText would also turn no-break and line-separator characters into spaces and newlines; the raw text
    // keeps every character and marks only the breaks between paragraphs.
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, u'\n');
    return raw;
}

void EditBeforeUseTextView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers held = event->modifiers() & chordModifiers;
    const bool ctrlAlone = held == Qt::ControlModifier;
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && ctrlAlone) {
        if (onCommit)
            onCommit();
        return;
    }
    if (key == Qt::Key_F && ctrlAlone) {
        if (onFind)
            onFind();
        return;
    }
    if (key == Qt::Key_Escape && held == Qt::NoModifier) {
        if (onCancel)
            onCancel();
        return;
    }
    // Shift+Return would insert a line separator inside the paragraph; a newline is what the text needs.
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && held == Qt::ShiftModifier) {
        insertPlainText(QStringLiteral("\n"));
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool EditBeforeUseTextView::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void EditBeforeUseTextView::insertFromMimeData(const QMimeData* source) {
    if (source->hasText())
        insertPlainText(source->text());
}

} // namespace stowline
