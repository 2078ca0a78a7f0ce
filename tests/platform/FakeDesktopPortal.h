#pragma once

#include <QProcess>

namespace stowline::test {

// A desktop portal on the test's session bus, served by a helper process for as long as the object lives.
class FakeDesktopPortal {
public:
    ~FakeDesktopPortal();

    // Starts serving with the given colour scheme (the portal's numbering); `old` leaves out `ReadOne`. False
    // when it could not take the portal's name.
    bool start(uint colorScheme, bool old = false);
    // The desktop switches its scheme; returns once the change is announced.
    bool switchTo(uint colorScheme);
    // Starts serving GlobalShortcuts too; with `refuse` the user declines every binding.
    bool startWithShortcuts(bool refuse = false);
    // A line for its standard input ("activate ID").
    void send(const QByteArray& line);
    // Skips what it says until it says `line`; false when it ends first or takes too long.
    bool waitForLine(const QByteArray& line);

    QProcess m_process;
};

} // namespace stowline::test
