#include "app/TerminationSignals.h"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace stowline {

namespace {

constexpr std::array<int, 2> handledSignals{SIGTERM, SIGINT};

// Read by the handler, so a plain object of lock-free type.
volatile sig_atomic_t writeEnd = -1;
std::array<struct sigaction, handledSignals.size()> previousActions{};

void forward(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: with the pipe full, a signal is already waiting to be read, which is enough.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    std::array<int, 2> ends{};
    if (writeEnd != -1 || ::pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = ends[0];
    writeEnd = ends[1];
    struct sigaction action {};
    action.sa_handler = forward;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < handledSignals.size(); ++i)
        ::sigaction(handledSignals[i], &action, &previousActions[i]);
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readPipe);
}

TerminationSignals::~TerminationSignals() {
    if (!m_notifier)
        return;
    for (size_t i = 0; i < handledSignals.size(); ++i)
        ::sigaction(handledSignals[i], &previousActions[i], nullptr);
    m_notifier.reset();
    ::close(writeEnd);
    writeEnd = -1;
    ::close(m_readEnd);
}

void TerminationSignals::readPipe() {
    unsigned char byte = 0;
    while (::read(m_readEnd, &byte, 1) == 1)
        Q_EMIT received(byte);
}

} // namespace stowline
