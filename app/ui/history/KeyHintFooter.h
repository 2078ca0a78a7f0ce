#pragma once

#include <QStringList>
#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace stowline {

class KeyCap;

// The key caps of the panel's keys with what they do, and the number of visible clips. The hints for using a clip
// by its number, deleting and favouring it give way first, in that order, when the panel is too narrow for all.
class KeyHintFooter : public QWidget {
    Q_OBJECT

public:
    // What the hints depend on.
    struct State {
        bool keysActive = true; // false while capture is paused, when only Escape acts
        bool instantPaste = false;
        bool plainTextByDefault = false; // Return uses plain text, Shift+Return the formatting
        bool hasSelection = false;
        bool editable = false; // the selected clip can be edited and pasted as plain text
        QString shortcut;
        qsizetype clipCount = 0;
    };

    explicit KeyHintFooter(QWidget* parent = nullptr);
    void update(const State& state);

    // The hints as shown, "cap label" each, then the count; also what assistive technology reads.
    QStringList texts() const;
    static QString countText(qsizetype count);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Hint {
        QWidget* box;
        KeyCap* cap;
        QLabel* label;
    };
    Hint addHint(QHBoxLayout* layout, const QString& cap, const QString& label);
    void fit();

    Hint m_navigate;
    Hint m_use;
    Hint m_plain;
    Hint m_edit;
    Hint m_quick;
    Hint m_favorite;
    Hint m_delete;
    Hint m_open;
    QLabel* m_count;
    State m_state;
};

} // namespace stowline
