#include "app/cli/CommandOutput.h"

#include "core/support/AppIdentity.h"

#include <QFile>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace stowline {

namespace {

// Unbuffered, so results and messages reach the terminal in the order they were written.
QIODevice& standardOutput() {
    static QFile file;
    if (!file.isOpen())
        file.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}

QIODevice& standardError() {
    static QFile file;
    if (!file.isOpen())
        file.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}

} // namespace

CommandOutput::CommandOutput() : m_out(&standardOutput()), m_err(&standardError()), m_outName(u"standard output"_s) {}

CommandOutput::CommandOutput(QIODevice& out, QIODevice& err) : m_out(&out), m_err(&err), m_outName(u"output"_s) {}

bool CommandOutput::print(const QByteArray& data) {
    if (m_out->write(data) != data.size())
        return false;
    auto* file = qobject_cast<QFileDevice*>(m_out);
    return !file || file->flush();
}

void CommandOutput::message(const QString& line) {
    QString text = AppIdentity::executableName() + u": "_s + line;
    if (!text.endsWith(u'\n'))
        text += u'\n';
    m_err->write(text.toUtf8());
}

int CommandOutput::fail(const QString& line, int status) {
    message(line);
    return status;
}

int CommandOutput::relay(const InstanceReply& reply) {
    if (reply.status != success) {
        message(reply.output);
        return reply.status;
    }
    if (!print(reply.output))
        return fail(CommandTexts::cannotWrite(m_outName, outputError()));
    return success;
}

QString CommandTexts::exportWarning(const QString& file) {
    if (file.isEmpty())
        return u"warning: the exported history is not encrypted"_s;
    return u"warning: %1 holds the history unencrypted; keep it private and delete it when done"_s.arg(file);
}

QString CommandTexts::cannotWrite(const QString& name, const QString& reason) {
    return u"cannot write %1 (%2)"_s.arg(name, reason.isEmpty() ? u"unknown error"_s : reason);
}

QString CommandTexts::exchangeFileFailed(const QString& socketPath) {
    return u"cannot create a private file beside %1"_s.arg(socketPath);
}

} // namespace stowline
