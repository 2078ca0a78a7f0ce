#include "tests/platform/XClients.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

using namespace Qt::StringLiterals;

namespace stowline::test {

bool waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

ClientResult runClient(const QString& program, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    // Separate channels: xclip stays behind to serve its selection, and must not hold the test's own output open.
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!waitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000))
        process.kill();
    process.waitForFinished(1000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput()};
}

void copyWithXclip(const QString& target, const QByteArray& data) {
    runClient(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-t"_s, target, u"-i"_s}, data);
}

QByteArray pasteWithXclip(const QString& target) {
    return runClient(u"xclip"_s, {u"-selection"_s, u"clipboard"_s, u"-t"_s, target, u"-o"_s}).output;
}

} // namespace stowline::test
