#pragma once

#include "tests/support/Wait.h"

#include "app/platform/HotKeyService.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

struct xcb_connection_t;

namespace stowline::test {

struct ClientResult {
    int exitCode = -1;
    QByteArray output;
};

// Runs an X client to its end while this process keeps answering X requests.
ClientResult runClient(const QString& program, const QStringList& arguments, const QByteArray& input = {});

// Another application copies the data under one X11 target; xclip keeps serving it in the background.
void copyWithXclip(const QString& target, const QByteArray& data);
QByteArray pasteWithXclip(const QString& target);

// Types the keys (xdotool syntax) as the user would.
void typeKeys(const QString& keys);

// Another X client, whose grab makes a combination taken for this one.
class OtherXClient {
public:
    OtherXClient();
    ~OtherXClient();
    OtherXClient(const OtherXClient&) = delete;
    OtherXClient& operator=(const OtherXClient&) = delete;

    // True when the server granted the grab of the combination (without lock modifiers).
    bool grab(const HotKey& key);

private:
    xcb_connection_t* m_connection;
    quint32 m_root = 0;
};

} // namespace stowline::test
