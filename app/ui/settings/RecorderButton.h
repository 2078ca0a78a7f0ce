#pragma once

#include "core/shortcut/HotKeyConfiguration.h"

#include <QPushButton>

#include <functional>

namespace stowline {

// The push button that records a global shortcut: a click starts recording, the next key press with a modifier
// becomes the shortcut, Escape (with any modifiers) or a click elsewhere cancels. The recorded shortcut leaves the
// button only through `onRecord`.
class RecorderButton : public QPushButton {
    Q_OBJECT

public:
    explicit RecorderButton(QWidget* parent = nullptr);
    ~RecorderButton() override;

    static QString recordingTitle();
    static QString notAShortcutTitle();

    // Called with every newly recorded shortcut.
    std::function<void(const HotKeyConfiguration&)> onRecord;

    const HotKeyConfiguration& shortcut() const { return m_shortcut; }
    // The bound value; ignored while recording, so the title the user is reading stays.
    void setShortcut(const HotKeyConfiguration& shortcut);
    bool isRecording() const { return m_isRecording; }

    void beginRecording();

Q_SIGNALS:
    // Announced before `onRecord` runs, so the global shortcut is back in place when the new one is registered.
    void recordingChanged(bool recording);

protected:
    bool event(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void record(const QKeyEvent& event);
    void finish(const std::optional<HotKeyConfiguration>& recorded);

    HotKeyConfiguration m_shortcut = HotKeyConfiguration::defaultShortcut();
    bool m_isRecording = false;
};

} // namespace stowline
