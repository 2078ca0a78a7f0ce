#pragma once

#include "app/ui/widgets/WindowSize.h"
#include "core/model/TextContentFormat.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QWidget;

namespace stowline {

class EditBeforeUseViewController;
class FloatingWindow;
class FloatingWindows;

// Owns the single edit-before-use window: shows a text for editing, hands back the edited text or the cancel,
// and turns a close request into a cancel. The stored clip is the caller's; only text goes in and out.
// GUI thread only.
class EditBeforeUseWindowManager : public QObject {
    Q_OBJECT

public:
    static constexpr WindowSize windowSize{{760, 560}, {620, 420}};

    // The floating-window services are held for the manager's life.
    explicit EditBeforeUseWindowManager(FloatingWindows& floatingWindows, QObject* parent = nullptr);
    ~EditBeforeUseWindowManager() override;

    // Opens the editor with a fresh content, replacing an edit in progress without calling its cancel. The
    // window is created on first use and reused at its last size and place. Commit and cancel hide the editor
    // before the callbacks run.
    void show(const QString& text, const QString& title, TextContentFormat format,
              std::function<void(const QString&)> onCommit, std::function<void()> onCancel);
    bool isVisible() const;
    // Null until the first show.
    QWidget* window() const;
    // The edit in progress, null when closed.
    EditBeforeUseViewController* controller() const { return m_controller; }

private:
    void hide();
    // A close request from the window manager (or Alt+F4) means Cancel.
    void windowShouldClose();

    FloatingWindows& m_floatingWindows;
    std::unique_ptr<FloatingWindow> m_window;
    QPointer<EditBeforeUseViewController> m_controller;
    std::function<void()> m_onCancel;
};

} // namespace stowline
