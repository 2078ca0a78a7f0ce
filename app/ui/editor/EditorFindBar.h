#pragma once

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace stowline {

class StyledLabel;

// The editor's find bar: finds as the user types (ignoring case), from where the search began, wrapping
// around; Return and Shift+Return go to the next and previous match, Escape closes the bar.
class EditorFindBar : public QWidget {
    Q_OBJECT

public:
    explicit EditorFindBar(QPlainTextEdit* editor, QWidget* parent = nullptr);

    // Shows the bar with the field focused and its text selected.
    void open();
    void close();
    QLineEdit* field() const { return m_field; }

    // Matches marked in the editor at most; beyond that only the current one is.
    static constexpr int markedMatchLimit = 1000;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void findIncrementally();
    enum class Direction { forward, backward };
    void findNext(Direction direction);
    bool findFrom(int position, Direction direction);
    void markMatches();
    void clearMarks();

    QPlainTextEdit* m_editor;
    QLineEdit* m_field;
    QToolButton* m_previous;
    QToolButton* m_next;
    StyledLabel* m_status;
    int m_anchor = 0; // where the incremental search starts
};

} // namespace stowline
