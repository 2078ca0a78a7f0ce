#include "tests/support/TestClipboardOwner.h"

#include "tests/support/Wait.h"

#include <QFile>

namespace stowline::test {

TestClipboardOwner::TestClipboardOwner(const QList<QPair<QString, QByteArray>>& targets, const QStringList& options) {
    QStringList arguments = options;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const auto& [target, data] = targets[i];
        if (data.startsWith('@')) {
            arguments.append(target + u'=' + QString::fromLatin1(data));
            continue;
        }
        QFile file(m_files.filePath(QString::number(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return;
        arguments.append(target + u'=' + file.fileName());
    }
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(QStringLiteral(STOWLINE_X11_CLIPBOARD_OWNER), arguments);
    m_ready = waitUntil([&] { return m_process.state() == QProcess::NotRunning || m_process.canReadLine(); }) &&
              m_process.readLine() == "ready\n";
}

TestClipboardOwner::~TestClipboardOwner() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool TestClipboardOwner::waitUntilAsked(const QByteArray& target, int timeoutMs) {
    return waitUntil(
        [&] {
            m_output += m_process.readAllStandardOutput();
            return m_output.contains("asked " + target + '\n');
        },
        timeoutMs);
}

} // namespace stowline::test
