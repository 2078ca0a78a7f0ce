#include "app/ui/editor/EditBeforeUseWindow.h"

#include "app/ui/editor/EditBeforeUseViewController.h"
#include "app/ui/widgets/FloatingWindow.h"

#include <QTimer>

namespace stowline {

using namespace Qt::StringLiterals;

EditBeforeUseWindowManager::EditBeforeUseWindowManager(FloatingWindows& floatingWindows, QObject* parent)
    : QObject(parent), m_floatingWindows(floatingWindows) {}

EditBeforeUseWindowManager::~EditBeforeUseWindowManager() = default;

void EditBeforeUseWindowManager::show(const QString& text, const QString& title, TextContentFormat format,
                                      std::function<void(const QString&)> onCommit, std::function<void()> onCancel) {
    if (!m_window) {
        m_window = std::make_unique<FloatingWindow>(FloatingWindow::Frame::floating, u"Edit Before Use"_s, windowSize);
        m_window->setObjectName(u"editorWindow"_s);
        // The close button means Cancel.
        connect(m_window.get(), &FloatingWindow::closeRequested, this, &EditBeforeUseWindowManager::windowShouldClose);
        // Centred on the screen the user is working on once; later edits find it where the user left it.
        m_window->centreOnPointerScreen();
    }

    m_onCancel = std::move(onCancel);
    QPointer<EditBeforeUseWindowManager> manager(this);
    auto* controller = new EditBeforeUseViewController(
        text, format, title,
        [manager, commit = std::move(onCommit)](const QString& edited) {
            // Copied first: hiding ends the controller that holds this callback.
            const auto callback = commit;
            if (manager)
                manager->hide();
            if (callback)
                callback(edited);
        },
        [manager] {
            if (!manager)
                return;
            const auto callback = std::exchange(manager->m_onCancel, nullptr);
            manager->hide();
            if (callback)
                callback();
        });
    m_controller = controller;
    m_window->setContent(controller->view());

    // Also when another application is in front: the editor opens from the panel, which has just hidden.
    m_window->present(&m_floatingWindows);
    // Once the window is up, so the focus lands in the editor and not in whatever the window focused first.
    QTimer::singleShot(0, controller, [controller] { controller->focusAtStart(); });
}

bool EditBeforeUseWindowManager::isVisible() const {
    return m_window && m_window->isVisible();
}

QWidget* EditBeforeUseWindowManager::window() const {
    return m_window.get();
}

void EditBeforeUseWindowManager::hide() {
    if (m_window) {
        m_window->hide();
        m_window->setContent(nullptr);
    }
    m_controller = nullptr;
    m_onCancel = nullptr;
}

void EditBeforeUseWindowManager::windowShouldClose() {
    const auto callback = std::exchange(m_onCancel, nullptr);
    hide();
    if (callback)
        callback();
}

} // namespace stowline
