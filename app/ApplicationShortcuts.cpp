#include "app/ApplicationShortcuts.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace stowline {

ApplicationShortcuts::ApplicationShortcuts(std::function<void()> openSettings, std::function<void()> quit,
                                           QObject* parent)
    : QObject(parent), m_openSettings(std::move(openSettings)), m_quit(std::move(quit)) {
    QCoreApplication::instance()->installEventFilter(this);
}

ApplicationShortcuts::~ApplicationShortcuts() {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool ApplicationShortcuts::eventFilter(QObject* watched, QEvent* event) {
    const bool override = event->type() == QEvent::ShortcutOverride;
    if ((!override && event->type() != QEvent::KeyPress) || !qobject_cast<QWidget*>(watched))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    const std::function<void()>* action = nullptr;
    if (pressed == settingsKey())
        action = &m_openSettings;
    else if (pressed == quitKey())
        action = &m_quit;
    if (!action || !*action)
        return false;
    // Claimed before any text field can take it, then run on the key press itself.
    if (override) {
        event->accept();
        return true;
    }
    (*action)();
    return true;
}

} // namespace stowline
