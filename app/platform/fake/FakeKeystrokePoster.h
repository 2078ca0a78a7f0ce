#pragma once

#include "app/platform/KeystrokePoster.h"

#include <optional>

namespace stowline {

class FakeKeystrokePoster final : public KeystrokePoster {
public:
    bool isAvailable() const override { return m_available; }
    bool postPasteKeystroke(PasteTarget target) override {
        if (!m_available)
            return false;
        if (m_activeWindow && target.window != *m_activeWindow) {
            if (target.refused)
                target.refused();
            return true;
        }
        ++m_pasteCount;
        return true;
    }

    void setAvailable(bool available) { m_available = available; }
    // Once set, only pastes meant for this window are typed (counted); the others are refused.
    void setActiveWindow(quint64 window) { m_activeWindow = window; }
    int pasteCount() const { return m_pasteCount; }

private:
    bool m_available = true;
    std::optional<quint64> m_activeWindow;
    int m_pasteCount = 0;
};

} // namespace stowline
