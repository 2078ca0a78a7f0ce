#pragma once

#include "app/platform/KeystrokePoster.h"

namespace stowline {

class FakeKeystrokePoster final : public KeystrokePoster {
public:
    bool isAvailable() const override { return m_available; }
    bool postPasteKeystroke() override {
        if (m_available)
            ++m_pasteCount;
        return m_available;
    }

    void setAvailable(bool available) { m_available = available; }
    int pasteCount() const { return m_pasteCount; }

private:
    bool m_available = true;
    int m_pasteCount = 0;
};

} // namespace stowline
