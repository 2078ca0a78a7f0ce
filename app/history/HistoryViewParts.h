#pragma once

#include "app/history/Symbols.h"
#include "app/style/StowlineStyle.h"
#include "core/history/HistoryFilter.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

#include <array>

class QHBoxLayout;

namespace stowline {

class KeyCap;

// A symbol drawn in a style role's colour, repainted with the appearance.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(Symbol symbol, int size, StyleRole colorRole, QWidget* parent = nullptr);
    void setSymbol(Symbol symbol);
    void setColorRole(StyleRole role);
    QSize sizeHint() const override { return {m_size, m_size}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Symbol m_symbol;
    int m_size;
    StyleRole m_colorRole;
};

// The top of the panel: the mark, the search field with its clear button, and the settings button.
class HistoryHeader : public QWidget {
    Q_OBJECT

public:
    explicit HistoryHeader(QWidget* parent = nullptr);

    QLineEdit* searchField() const { return m_search; }
    QToolButton* clearButton() const { return m_clear; }
    QToolButton* settingsButton() const { return m_settings; }
    void refreshSymbols();

private:
    QLineEdit* m_search;
    QToolButton* m_clear;
    QToolButton* m_settings;
};

// The store's last error with a button that clears it; shown only while there is one.
class ErrorBanner : public QWidget {
    Q_OBJECT

public:
    explicit ErrorBanner(QWidget* parent = nullptr);
    void setMessage(const QString& message);
    QLabel* messageLabel() const { return m_message; }
    QPushButton* dismissButton() const { return m_dismiss; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* m_message;
    QPushButton* m_dismiss;
};

// Whether capture runs, then one button per kind filter.
class FilterBar : public QWidget {
    Q_OBJECT

public:
    explicit FilterBar(QWidget* parent = nullptr);

    void setCapturing(bool capturing);
    void setFilter(HistoryFilter filter);
    QLabel* statusLabel() const { return m_status; }
    QPushButton* button(HistoryFilter filter) const;

    static QString accessibleName(HistoryFilter filter);

Q_SIGNALS:
    void filterChosen(stowline::HistoryFilter filter);

private:
    QLabel* m_status;
    SymbolView* m_dot;
    QButtonGroup m_group;
    std::array<QPushButton*, 6> m_buttons{};
};

// What the content area shows instead of the list.
class EmptyState : public QWidget {
    Q_OBJECT

public:
    explicit EmptyState(QWidget* parent = nullptr);
    void set(Symbol symbol, const QString& title, const QString& message);
    QString title() const { return m_title->text(); }
    QString message() const { return m_message->text(); }

private:
    SymbolView* m_symbol;
    QLabel* m_title;
    QLabel* m_message;
};

// The key caps of the panel's keys with what they do, and the number of visible clips.
class KeyHintFooter : public QWidget {
    Q_OBJECT

public:
    explicit KeyHintFooter(QWidget* parent = nullptr);
    void update(bool instantPaste, bool editable, const QString& shortcut, qsizetype clipCount);

    // The hints as shown, "cap label" each, then the count; for tests and accessibility.
    QStringList texts() const;
    static QString countText(qsizetype count);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Hint {
        QWidget* box;
        KeyCap* cap;
        QLabel* label;
    };
    Hint addHint(QHBoxLayout* layout, const QString& cap, const QString& label);

    Hint m_navigate;
    Hint m_use;
    Hint m_plain;
    Hint m_edit;
    Hint m_open;
    QLabel* m_count;
};

} // namespace stowline
