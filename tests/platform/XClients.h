#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace stowline::test {

// Keeps the Qt event loop running (so this process can serve its own clipboard) until the condition holds.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

struct ClientResult {
    int exitCode = -1;
    QByteArray output;
};

// Runs an X client to its end while this process keeps answering X requests.
ClientResult runClient(const QString& program, const QStringList& arguments, const QByteArray& input = {});

// Another application copies the data under one X11 target; xclip keeps serving it in the background.
void copyWithXclip(const QString& target, const QByteArray& data);
QByteArray pasteWithXclip(const QString& target);

} // namespace stowline::test
