#pragma once

#include "app/platform/FloatingWindows.h"

#include <QPointer>
#include <QWindow>

namespace stowline {

// Counts the requests and activates through the toolkit, which is all an offscreen window needs.
class FakeFloatingWindows final : public FloatingWindows {
public:
    void showOnAllWorkspaces(QWindow& window) override {
        ++m_stickyRequests;
        m_lastWindow = &window;
    }
    void activate(QWindow& window) override {
        ++m_activations;
        m_lastWindow = &window;
        window.requestActivate();
    }

    bool hasKeyboardFocus(QWindow& window) const override { return window.isActive(); }

    int stickyRequests() const { return m_stickyRequests; }
    int activations() const { return m_activations; }
    QWindow* lastWindow() const { return m_lastWindow; }

private:
    int m_stickyRequests = 0;
    int m_activations = 0;
    QPointer<QWindow> m_lastWindow;
};

} // namespace stowline
