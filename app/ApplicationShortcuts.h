#pragma once

#include <QKeySequence>
#include <QObject>

#include <functional>

namespace stowline {

// Key equivalents that work in every Stowline window, whichever control has the focus: Ctrl+, opens the settings
// and Ctrl+Q quits. Watches the application's key events; GUI thread only.
class ApplicationShortcuts : public QObject {
    Q_OBJECT

public:
    ApplicationShortcuts(std::function<void()> openSettings, std::function<void()> quit, QObject* parent = nullptr);
    ~ApplicationShortcuts() override;

    static QKeySequence settingsKey() { return QKeySequence(Qt::CTRL | Qt::Key_Comma); }
    static QKeySequence quitKey() { return QKeySequence(Qt::CTRL | Qt::Key_Q); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_openSettings;
    std::function<void()> m_quit;
};

} // namespace stowline
