#include "tests/platform/FakeDesktopPortal.h"

#include "tests/support/Wait.h"

namespace stowline::test {

FakeDesktopPortal::~FakeDesktopPortal() {
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool FakeDesktopPortal::waitForLine(const QByteArray& line) {
    return waitUntil([&] {
               if (m_process.canReadLine())
                   return m_process.readLine().trimmed() == line;
               return m_process.state() == QProcess::NotRunning;
           }) &&
           m_process.state() == QProcess::Running;
}

bool FakeDesktopPortal::start(uint colorScheme, bool old) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(STOWLINE_FAKE_PORTAL), old ? QStringList{QStringLiteral("old")} : QStringList{});
    return m_process.waitForStarted(5000) && waitForLine("ready") && switchTo(colorScheme);
}

bool FakeDesktopPortal::startWithShortcuts(bool refuse) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(STOWLINE_FAKE_PORTAL),
                    {refuse ? QStringLiteral("refuse-shortcuts") : QStringLiteral("shortcuts")});
    return m_process.waitForStarted(5000) && waitForLine("ready");
}

void FakeDesktopPortal::send(const QByteArray& line) {
    m_process.write(line + '\n');
}

bool FakeDesktopPortal::switchTo(uint colorScheme) {
    m_process.write("scheme " + QByteArray::number(colorScheme) + '\n');
    return waitForLine("sent");
}

} // namespace stowline::test
