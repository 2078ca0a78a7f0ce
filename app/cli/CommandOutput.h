#pragma once

#include "app/commands/InstanceProtocol.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace stowline {

// Everything the command line prints: results on standard output as they are, messages on standard error as
// one line "stowline: message" each.
class CommandOutput {
public:
    static constexpr int success = 0;
    static constexpr int failure = 1;
    static constexpr int usageError = 2;

    // The process's standard output and error.
    CommandOutput();
    // Other devices, open for writing; for tests.
    CommandOutput(QIODevice& out, QIODevice& err);

    // Results: texts and data exactly as given.
    [[nodiscard]] bool print(const QByteArray& data);
    [[nodiscard]] bool print(const QString& text) { return print(text.toUtf8()); }
    // A message line; the newline is added.
    void message(const QString& line);
    // A message line; returns `status` for the caller to exit with.
    int fail(const QString& line, int status = failure);
    // A reply of the running instance: its output on standard output when it succeeded, as a message otherwise.
    int relay(const InstanceReply& reply);

    QString outputName() const { return m_outName; }
    QString outputError() const { return m_out->errorString(); }

private:
    QIODevice* m_out;
    QIODevice* m_err;
    QString m_outName;
};

// Texts the command line prints in more than one place.
namespace CommandTexts {

// After an export: to standard output when `file` is empty.
QString exportWarning(const QString& file);
QString cannotWrite(const QString& name, const QString& reason);
QString exchangeFileFailed(const QString& socketPath);

} // namespace CommandTexts

} // namespace stowline
