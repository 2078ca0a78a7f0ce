#pragma once

#include "app/ui/style/StowlineStyle.h"
#include "app/ui/style/Symbols.h"

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace stowline {

// One titled group of a settings pane: the title in small capitals above a rounded box holding the rows.
class SettingsSection : public QWidget {
    Q_OBJECT

public:
    SettingsSection(const QString& title, QWidget* parent = nullptr);

    void addRow(QWidget* row);
    // A note under the row before it, in the secondary text colour; `pointSize` 0 keeps the small default.
    QLabel* addNote(const QString& text, qreal pointSize = 0);
    // A caption and a control on one line.
    QWidget* addLabelledRow(const QString& caption, QWidget* control);

private:
    class Box;

    Box* m_box;
    QVBoxLayout* m_rows;
};

// One settings symbol, drawn in a palette role so it follows the appearance.
class SettingsSymbolView : public QWidget {
    Q_OBJECT

public:
    SettingsSymbolView(Symbol symbol, int size, StyleRole role, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol;
    int m_size;
    StyleRole m_role;
};

// The opening line of a pane: its symbol, title and one sentence.
class SettingsIntroduction : public QWidget {
    Q_OBJECT

public:
    SettingsIntroduction(Symbol symbol, const QString& title, const QString& sentence, QWidget* parent = nullptr);
};

// The column every settings pane is laid out in, starting with the pane's introduction.
QVBoxLayout* makePaneLayout(QWidget* pane, Symbol symbol, const QString& title, const QString& sentence);
// A smaller line of text in the secondary colour, wrapped to the width it is given.
QLabel* makeNote(const QString& text, QWidget* parent, qreal pointSize = 0);
// Keeps the label's text in a palette role across appearance changes.
void paintTextIn(QLabel* label, StyleRole role);

} // namespace stowline
