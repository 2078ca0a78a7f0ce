#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

namespace stowline {

// A one-shot timer behind a seam, so that tests decide when the time has passed. Starting an active timer
// starts it afresh. GUI thread only.
class OneShotTimer : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void start(int milliseconds) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

Q_SIGNALS:
    void timeout();
};

// The event loop's timer.
class SystemOneShotTimer final : public OneShotTimer {
public:
    explicit SystemOneShotTimer(QObject* parent = nullptr) : OneShotTimer(parent) {
        m_timer.setSingleShot(true);
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &OneShotTimer::timeout);
    }

    void start(int milliseconds) override { m_timer.start(milliseconds); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

using TimerFactory = std::function<std::unique_ptr<OneShotTimer>()>;

inline TimerFactory systemTimers() {
    return [] { return std::make_unique<SystemOneShotTimer>(); };
}

} // namespace stowline
