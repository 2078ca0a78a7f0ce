#pragma once

#include "app/platform/FloatingWindows.h"

#include <QPointer>
#include <QStringList>
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
    void useActivationToken(const QString& token) override { m_tokens.append(token); }

    int stickyRequests() const { return m_stickyRequests; }
    int activations() const { return m_activations; }
    QWindow* lastWindow() const { return m_lastWindow; }
    const QStringList& activationTokens() const { return m_tokens; }

private:
    int m_stickyRequests = 0;
    int m_activations = 0;
    QPointer<QWindow> m_lastWindow;
    QStringList m_tokens;
};

} // namespace stowline
