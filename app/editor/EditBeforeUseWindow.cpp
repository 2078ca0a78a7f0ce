#include "app/editor/EditBeforeUseWindow.h"

#include "app/editor/EditBeforeUseViewController.h"
#include "app/platform/FloatingWindows.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

namespace stowline {

using namespace Qt::StringLiterals;

// The top-level window: no title bar of the window manager (the content is moved by its background), above
// other windows; a close request goes to the manager.
class EditBeforeUseWindowManager::Window : public QWidget {
public:
    explicit Window(std::function<void()> onCloseRequest)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
        , m_onCloseRequest(std::move(onCloseRequest)) {
        setWindowTitle(u"Edit Before Use"_s);
        setAccessibleName(u"Edit Before Use"_s);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }

    void setContent(QWidget* content) {
        // Out of the window at once; deleted later because its callbacks may be running.
        if (m_content) {
            m_content->hide();
            layout()->removeWidget(m_content);
            m_content->deleteLater();
        }
        m_content = content;
        if (content) {
            // Laid out at the window's size before it is shown, so the editor never shows scroll bars that
            // only the default size needed.
            content->resize(size());
            layout()->addWidget(content);
        }
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        // Refused: the manager has already taken the window off screen when it cancelled.
        event->ignore();
        m_onCloseRequest();
    }

private:
    std::function<void()> m_onCloseRequest;
    QPointer<QWidget> m_content;
};

EditBeforeUseWindowManager::EditBeforeUseWindowManager(FloatingWindows& floatingWindows, QObject* parent)
    : QObject(parent), m_floatingWindows(floatingWindows) {}

EditBeforeUseWindowManager::~EditBeforeUseWindowManager() = default;

void EditBeforeUseWindowManager::show(const QString& text, const QString& title, TextContentFormat format,
                                      std::function<void(const QString&)> onCommit, std::function<void()> onCancel) {
    const bool created = !m_window;
    if (created) {
        m_window = std::make_unique<Window>([this] { windowShouldClose(); });
        windowSize.applyTo(*m_window);
        // Centred on the screen the user is working on.
        QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame(QPoint(), m_window->size());
            frame.moveCenter(screen->availableGeometry().center());
            m_window->move(frame.topLeft());
        }
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

    m_window->show();
    m_window->raise();
    if (QWindow* handle = m_window->windowHandle()) {
        m_floatingWindows.showOnAllWorkspaces(*handle);
        // Also when another application is in front: the editor opens from the panel, which has just hidden.
        m_floatingWindows.activate(*handle);
    }
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
