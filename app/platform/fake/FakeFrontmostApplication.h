#pragma once

#include "app/platform/FrontmostApplication.h"

#include <QList>
#include <QSet>

namespace stowline {

class FakeFrontmostApplication final : public FrontmostApplication {
public:
    std::optional<RunningApplication> frontmost() const override { return m_frontmost; }
    bool activate(const RunningApplication& application) override;
    bool isTerminated(const RunningApplication& application) const override;

    void setFrontmost(std::optional<RunningApplication> application) { m_frontmost = std::move(application); }
    void terminate(const RunningApplication& application) { m_terminated.insert(application.window); }
    // Every successful activation, in order.
    const QList<RunningApplication>& activations() const { return m_activations; }

private:
    std::optional<RunningApplication> m_frontmost;
    QSet<quint64> m_terminated;
    QList<RunningApplication> m_activations;
};

} // namespace stowline
