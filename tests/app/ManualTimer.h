#pragma once

#include "app/concurrency/OneShotTimer.h"

#include <QList>
#include <QPointer>

#include <memory>

namespace stowline::test {

// A timer that fires only when the test says the time has passed.
class ManualTimer final : public OneShotTimer {
public:
    void start(int milliseconds) override {
        m_active = true;
        m_interval = milliseconds;
        ++m_starts;
    }
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }

    int interval() const { return m_interval; }
    int starts() const { return m_starts; }
    // Fires when it is running.
    void fire() {
        if (!m_active)
            return;
        m_active = false;
        Q_EMIT timeout();
    }

private:
    bool m_active = false;
    int m_interval = 0;
    int m_starts = 0;
};

// Makes manual timers and keeps track of them, in the order they were made.
class ManualTimers {
public:
    TimerFactory factory() {
        return [this] {
            auto timer = std::make_unique<ManualTimer>();
            m_timers.append(timer.get());
            return timer;
        };
    }
    ManualTimer* at(qsizetype index) const { return m_timers.value(index); }
    // The running timers set to `milliseconds` fire, in the order they were made.
    void fire(int milliseconds) {
        for (const QPointer<ManualTimer>& timer : std::as_const(m_timers)) {
            if (timer && timer->isActive() && timer->interval() == milliseconds)
                timer->fire();
        }
    }

private:
    QList<QPointer<ManualTimer>> m_timers;
};

} // namespace stowline::test
