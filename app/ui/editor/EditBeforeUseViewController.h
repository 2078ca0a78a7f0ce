#pragma once

#include "core/model/TextContentFormat.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QTimer;

namespace stowline {

class AppearanceSurfaceView;
class EditBeforeUseHighlighter;
class EditBeforeUseTextView;
class EditorFindBar;
class StyledLabel;

// The content of one edit: header, editor, find bar, footer, the live count and the re-colouring after typing
// pauses. It lives as long as its view (its Qt parent). GUI thread only.
class EditBeforeUseViewController : public QObject {
    Q_OBJECT

public:
    // How long typing must pause before the text is coloured again.
    static constexpr int highlightDelayMs = 80;

    EditBeforeUseViewController(const QString& originalText, TextContentFormat format, const QString& clipTitle,
                                std::function<void(const QString&)> onCommit, std::function<void()> onCancel);

    QWidget* view() const;
    EditBeforeUseTextView* textView() const { return m_textView; }
    EditorFindBar* findBar() const { return m_findBar; }
    TextContentFormat format() const { return m_format; }

    // The edited text with the original's line endings wherever the edit did not reach.
    QString editedText() const;
    QString countText() const;
    // "1 character", "2,048 characters": user-perceived characters, grouped as the user's locale groups.
    static QString countText(qsizetype characters);

    // Re-colouring waits for a pause in typing; tests run it at once.
    bool isHighlightPending() const;
    void applyHighlight();

    // Puts the keyboard focus in the editor with the caret at the start of the text.
    void focusAtStart();

    void commit();
    void cancel();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildView(const QString& clipTitle);
    void applyColours();
    void textDidChange();
    void updateCount();

    const TextContentFormat m_format;
    const QString m_originalText;
    std::function<void(const QString&)> m_onCommit;
    std::function<void()> m_onCancel;
    AppearanceSurfaceView* m_view;
    EditBeforeUseTextView* m_textView = nullptr;
    EditBeforeUseHighlighter* m_highlighter = nullptr;
    EditorFindBar* m_findBar = nullptr;
    StyledLabel* m_countLabel = nullptr;
    QTimer* m_highlightTimer = nullptr;
    bool m_isApplyingHighlight = false;
    int m_countedRevision = -1; // the document revision the count shows
};

} // namespace stowline
