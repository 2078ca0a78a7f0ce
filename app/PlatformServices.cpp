#include "app/PlatformServices.h"

#include "app/platform/DisplayServer.h"
#include "app/platform/secretservice/SecretServiceStore.h"
#include "app/platform/tesseract/TesseractTextRecognizer.h"
#include "app/platform/x11/X11FloatingWindows.h"
#include "app/platform/x11/X11FrontmostApplication.h"
#include "app/platform/x11/X11HotKeyService.h"
#include "app/platform/x11/X11Pasteboard.h"
#include "app/platform/x11/XTestKeystrokePoster.h"
#include "app/platform/xdg/XdgAutostartEntry.h"
#include "core/support/AppIdentity.h"

namespace stowline {

Result<PlatformServices, QString> PlatformServices::forDesktop() {
    if (!DisplayServer::isX11()) {
        return fail(QStringLiteral("Stowline needs an X11 session (XWayland counts): the clipboard, the global "
                                   "shortcut and paste work only there. Set DISPLAY, or QT_QPA_PLATFORM=xcb on "
                                   "Wayland."));
    }
    PlatformServices services;
    services.hotKeys = std::make_unique<X11HotKeyService>();
    services.keystrokes = std::make_unique<XTestKeystrokePoster>();
    services.secrets = desktopSecretStore();
    services.loginItem = std::make_unique<XdgAutostartEntry>();
    services.pasteboard = std::make_unique<X11Pasteboard>();
    services.frontmost = std::make_unique<X11FrontmostApplication>();
    services.floatingWindows = std::make_unique<X11FloatingWindows>();
    services.textRecognizer = std::make_unique<TesseractTextRecognizer>();
    return services;
}

std::unique_ptr<SecretStore> PlatformServices::desktopSecretStore() {
    return std::make_unique<SecretServiceStore>(AppIdentity::applicationIdentifier());
}

} // namespace stowline
