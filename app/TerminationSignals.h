#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace stowline {

// Turns SIGTERM and SIGINT into a Qt signal on the thread that created it. The handler only writes the signal's
// number into a pipe, which is safe inside a signal handler; the event loop reads it. One at a time per process.
class TerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    // Puts the previous handlers back and closes the pipe.
    ~TerminationSignals() override;

    // False when the pipe or a handler could not be set up; the default handlers then stay.
    bool isInstalled() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPipe();

    int m_readEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace stowline
