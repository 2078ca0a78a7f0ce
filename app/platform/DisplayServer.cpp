#include "app/platform/DisplayServer.h"

#include <QGuiApplication>

namespace stowline::DisplayServer {

bool isX11() {
    return QGuiApplication::platformName() == u"xcb";
}

} // namespace stowline::DisplayServer
