#pragma once

#include "app/platform/FloatingWindows.h"
#include "app/platform/FrontmostApplication.h"
#include "app/platform/HotKeyService.h"
#include "app/platform/KeystrokePoster.h"
#include "app/platform/LoginItem.h"
#include "app/platform/Pasteboard.h"
#include "app/platform/SecretStore.h"
#include "app/platform/TextRecognizer.h"
#include "core/permission/DesktopReadiness.h"
#include "core/support/Result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace stowline {

class WaylandSession;

// The desktop services the application runs on, created once and handed to it; tests hand in fakes.
struct PlatformServices {
    std::unique_ptr<HotKeyService> hotKeys;
    // Also the stand-in for the accessibility permission.
    std::unique_ptr<KeystrokePoster> keystrokes;
    std::unique_ptr<SecretStore> secrets;
    std::unique_ptr<LoginItem> loginItem;
    std::unique_ptr<Pasteboard> pasteboard;
    std::unique_ptr<FrontmostApplication> frontmost;
    std::unique_ptr<FloatingWindows> floatingWindows;
    // Used on the recognition worker only.
    std::unique_ptr<TextRecognizer> textRecognizer;
    // key=value lines for `stowline status`: which clipboard backend runs, and what the Wayland compositor offers.
    QString sessionReport;
    // In a Wayland session, what the desktop lets Stowline do now, for the readiness window; nothing on X11.
    std::function<std::optional<DesktopFacts>()> desktopFacts;

    // The real services of this session; a message for the user when the session is not one this platform layer
    // serves. Needs the GUI application object. The clipboard goes through Wayland's data-control when
    // WAYLAND_DISPLAY names a compositor that offers it, through X11 otherwise; STOWLINE_CLIPBOARD=x11 or wayland
    // forces one.
    static Result<PlatformServices, QString> forDesktop(std::shared_ptr<WaylandSession> wayland);
    // Stowline's own connection to the compositor WAYLAND_DISPLAY names, made before the toolkit's, so the toolkit's
    // platform can follow what it offers; nothing without one or when STOWLINE_CLIPBOARD=x11.
    static std::shared_ptr<WaylandSession> openWaylandSession();
    // The toolkit platform for the windows, unless QT_QPA_PLATFORM names one: native Wayland windows where the
    // clipboard goes through data-control (`waylandClipboard`), unless the user keeps them under XWayland
    // (`preferXWayland`); X11 otherwise (GNOME's clipboard reaches Stowline only through XWayland), or Wayland
    // when there is no X server.
    static QByteArray windowPlatform(bool waylandClipboard, bool preferXWayland, bool hasX11);
    // The session's keyring alone, for commands that run without an instance and without a display.
    static std::unique_ptr<SecretStore> desktopSecretStore();
};

} // namespace stowline
