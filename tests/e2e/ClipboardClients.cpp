#include "tests/e2e/ClipboardClients.h"

#include "tests/e2e/StowlineProcess.h"

#include <QFile>

namespace stowline::test {

ClipboardClients::ClipboardClients() = default;

ClipboardClients::~ClipboardClients() {
    for (const auto& process : m_processes) {
        process->kill();
        process->waitForFinished(2000);
    }
}

QString ClipboardClients::writeFile(const QByteArray& data) {
    const QString path = m_files.filePath(QString::number(++m_fileCount));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(data);
    return path;
}

QProcess& ClipboardClients::startQuietly(const QString& program, const QStringList& arguments,
                                         const QString& resourceName) {
    auto process = std::make_unique<QProcess>();
    // Never the test's own output: a client that outlives a test must not hold the test runner's pipes open.
    process->setStandardErrorFile(QProcess::nullDevice());
    if (!resourceName.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("RESOURCE_NAME"), resourceName);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // GTK would start an accessibility bus of its own on the test's session bus.
        environment.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
        process->setProcessEnvironment(environment);
    } else {
        process->setStandardOutputFile(QProcess::nullDevice());
    }
    process->start(program, arguments);
    process->waitForStarted(5000);
    m_processes.push_back(std::move(process));
    return *m_processes.back();
}

bool ClipboardClients::waitForLine(QProcess& process, const QByteArray& line) {
    QByteArray seen;
    return waitUntil(
               [&] {
                   seen += process.readAllStandardOutput();
                   return seen.split('\n').contains(line) || process.state() == QProcess::NotRunning;
               },
               30'000) &&
           process.state() == QProcess::Running;
}

bool ClipboardClients::copyWithXclip(const QString& target, const QByteArray& data) {
    // In the foreground (-quiet), so the test owns the process and ends it.
    QProcess& xclip = startQuietly(QStringLiteral("xclip"),
                                   {QStringLiteral("-quiet"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                    QStringLiteral("-t"), target, QStringLiteral("-i"), writeFile(data)});
    // A large offer travels in increments and takes a while to read back, the more so on a busy machine.
    const int timeoutMs = data.size() > 1024 * 1024 ? 60'000 : 10'000;
    return waitUntil([&] { return xclip.state() != QProcess::Running || paste(target) == data; }, timeoutMs) &&
           xclip.state() == QProcess::Running;
}

bool ClipboardClients::copyFromWindow(const QString& resourceName, const QList<QPair<QString, QByteArray>>& targets) {
    QStringList arguments{QStringLiteral("offer")};
    for (const auto& [target, data] : targets)
        arguments.append(target + u'=' + writeFile(data));
    return waitForLine(startQuietly(QStringLiteral(STOWLINE_E2E_HELPER), arguments, resourceName), "ready");
}

bool ClipboardClients::copyWithGtk(const QString& role, const QStringList& arguments) {
    return waitForLine(startQuietly(QStringLiteral("/usr/bin/python3"),
                                    QStringList{QStringLiteral(STOWLINE_GTK_CLIPBOARD_OWNER), role} + arguments,
                                    QStringLiteral("stowline-e2e-gtk")),
                       "ready");
}

bool ClipboardClients::copyTextWithGtk(const QString& text) {
    return copyWithGtk(QStringLiteral("text"), {writeFile(text.toUtf8())});
}

bool ClipboardClients::copyImageWithGtk(const QByteArray& encoded) {
    return copyWithGtk(QStringLiteral("image"), {writeFile(encoded)});
}

bool ClipboardClients::copyFilesWithGtk(const QStringList& paths) {
    return copyWithGtk(QStringLiteral("files"), paths);
}

QByteArray ClipboardClients::paste(const QString& target) {
    QProcess xclip;
    xclip.setStandardErrorFile(QProcess::nullDevice());
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                          QStringLiteral("clipboard"), QStringLiteral("-t"), target});
    QByteArray output;
    // Read as it comes, so a large offer never fills the pipe; the owner may be this test's own helpers.
    waitUntil(
        [&] {
            output += xclip.readAllStandardOutput();
            return xclip.state() == QProcess::NotRunning;
        },
        30'000);
    output += xclip.readAllStandardOutput();
    return xclip.exitCode() == 0 ? output : QByteArray();
}

bool ClipboardClients::openPasteTarget() {
    m_pasteTarget = &startQuietly(QStringLiteral(STOWLINE_E2E_HELPER), {QStringLiteral("paste-target")},
                                  QStringLiteral("stowline-e2e-paste-target"));
    return waitForLine(*m_pasteTarget, "ready");
}

bool ClipboardClients::pasteTargetShows(const QString& text) {
    const QByteArray expected = "text=" + text.toUtf8();
    return m_pasteTarget && waitUntil([&] {
               m_pasteTargetOutput += m_pasteTarget->readAllStandardOutput();
               return m_pasteTargetOutput.split('\n').contains(expected);
           });
}

} // namespace stowline::test
