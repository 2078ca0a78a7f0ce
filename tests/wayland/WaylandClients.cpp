#include "tests/wayland/WaylandClients.h"

#include "tests/support/Wait.h"

#include <QFile>

using namespace Qt::StringLiterals;

namespace stowline::test {

QString testExecutable(const QString& name) {
    return qEnvironmentVariable("STOWLINE_TEST_BIN") + u'/' + name;
}

WaylandClients::WaylandClients() = default;

WaylandClients::~WaylandClients() {
    for (const auto& process : m_processes) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
}

QProcess& WaylandClients::start(const QString& program, const QStringList& arguments) {
    auto& process = *m_processes.emplace_back(std::make_unique<QProcess>());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    process.waitForStarted(5000);
    return process;
}

bool WaylandClients::waitForLine(QProcess& process, const QByteArray& line, int timeoutMs) {
    // Lines said before are kept with the process, so each line can be waited for once, in any order.
    return waitUntil(
        [&] {
            const QByteArray seen = process.property("said").toByteArray() + process.readAllStandardOutput();
            process.setProperty("said", seen);
            return seen.split('\n').contains(line);
        },
        timeoutMs);
}

bool WaylandClients::openWindow(const QString& appId) {
    return waitForLine(start(testExecutable(u"stowline_e2e_helper"_s), {u"window"_s, appId}), "ready");
}

QProcess* WaylandClients::openPasteTarget() {
    QProcess& target = start(testExecutable(u"stowline_e2e_helper"_s), {u"paste-target"_s});
    return waitForLine(target, "ready") ? &target : nullptr;
}

bool WaylandClients::copyText(const QByteArray& text) {
    QProcess& copy = start(u"wl-copy"_s, {u"--"_s, QString::fromUtf8(text)});
    // wl-copy serves from a child of its own once the entry is set, and its first process then ends.
    return waitUntil([&] { return copy.state() == QProcess::NotRunning; }) && copy.exitCode() == 0;
}

bool WaylandClients::clear() {
    QProcess& copy = start(u"wl-copy"_s, {u"--clear"_s});
    return waitUntil([&] { return copy.state() == QProcess::NotRunning; }) && copy.exitCode() == 0;
}

QProcess* WaylandClients::offer(const QList<QPair<QString, QByteArray>>& types, const QStringList& generated,
                                const QString& behaviour) {
    QStringList arguments;
    if (!behaviour.isEmpty())
        arguments.append(behaviour);
    for (const auto& [type, data] : types) {
        const QString path = m_files.filePath(QString::number(++m_fileCount));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
            return nullptr;
        arguments.append(type + u'=' + path);
    }
    arguments += generated;
    QProcess& owner = start(testExecutable(u"stowline_wayland_owner"_s), arguments);
    return waitForLine(owner, "ready") ? &owner : nullptr;
}

QByteArray WaylandClients::paste(const QString& mimeType) {
    QProcess paste;
    paste.start(u"wl-paste"_s, {u"--no-newline"_s, u"--type"_s, mimeType});
    QByteArray output;
    waitUntil(
        [&] {
            output += paste.readAllStandardOutput();
            return paste.state() == QProcess::NotRunning;
        },
        20000);
    return output + paste.readAllStandardOutput();
}

} // namespace stowline::test
