#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace stowline {

// The top of the panel: the mark, the search field with its clear button, and the settings button.
class HistoryHeader : public QWidget {
    Q_OBJECT

public:
    explicit HistoryHeader(QWidget* parent = nullptr);

    QLineEdit* searchField() const { return m_search; }
    QToolButton* settingsButton() const { return m_settings; }

private:
    void refreshSymbols();

    QLineEdit* m_search;
    QToolButton* m_clear;
    QToolButton* m_settings;
};

} // namespace stowline
