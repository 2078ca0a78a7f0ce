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

private:
    bool waitForLine(const QByteArray& line);

    QProcess m_process;
};

} // namespace stowline::test
