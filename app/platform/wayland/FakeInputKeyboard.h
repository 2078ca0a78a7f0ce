#pragma once

#include "app/platform/wayland/SyntheticKeyboard.h"

struct org_kde_kwin_fake_input;

namespace stowline {

class WaylandConnection;

// KDE's fake input (KWin), which KWin offers only to a program whose desktop entry asks for it; keys need its
// version 4.
class FakeInputKeyboard final : public SyntheticKeyboard {
public:
    static std::unique_ptr<FakeInputKeyboard> create(WaylandConnection& connection);
    ~FakeInputKeyboard() override;

    void typePaste() override;
    void typeKey(unsigned code) override;

private:
    explicit FakeInputKeyboard(org_kde_kwin_fake_input* input) : m_input(input) {}

    org_kde_kwin_fake_input* m_input;
};

} // namespace stowline
