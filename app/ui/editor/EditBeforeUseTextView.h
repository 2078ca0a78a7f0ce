#pragma once

#include <QPlainTextEdit>

#include <functional>

namespace stowline {

// The editor's text view: plain text with undo, and the keys that commit, cancel and open the find bar.
class EditBeforeUseTextView : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit EditBeforeUseTextView(QWidget* parent = nullptr);

    std::function<void()> onCommit;
    std::function<void()> onCancel;
    std::function<void()> onFind;

    // The text exactly as the user sees it, every line break a "\n" (the document keeps paragraph separators).
    QString text() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Rich content pasted or dropped in arrives as its plain text only.
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace stowline
