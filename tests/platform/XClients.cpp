#include "tests/platform/XClients.h"

#include "app/platform/x11/XcbConnection.h"
#include "app/platform/x11/XcbKeyboard.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace stowline::test {

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

void typeKeys(const QString& keys) {
    ASSERT_EQ(runClient(u"xdotool"_s, {u"key"_s, u"--clearmodifiers"_s, keys}).exitCode, 0);
}

OtherXClient::OtherXClient() : m_connection(xcb_connect(nullptr, nullptr)) {
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

OtherXClient::~OtherXClient() {
    xcb_disconnect(m_connection);
}

bool OtherXClient::grab(const HotKey& key) {
    const QList<xcb_keycode_t> codes = XcbKeyboard::keyCodes(m_connection, key.keysym);
    if (codes.isEmpty())
        return false;
    const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_connection, 0, m_root, key.modifiers, codes.first(),
                                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    const XcbPointer<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
    return !error;
}

} // namespace stowline::test
