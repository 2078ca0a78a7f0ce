#include "app/PlatformServices.h"

#include "app/platform/DisplayServer.h"
#include "app/platform/portal/PortalHotKeyService.h"
#include "app/platform/secretservice/SecretServiceStore.h"
#include "app/platform/tesseract/TesseractTextRecognizer.h"
#include "app/platform/wayland/WaylandFloatingWindows.h"
#include "app/platform/wayland/WaylandFrontmostApplication.h"
#include "app/platform/wayland/WaylandKeystrokePoster.h"
#include "app/platform/wayland/WaylandPasteboard.h"
#include "app/platform/wayland/WaylandSession.h"
#include "app/platform/x11/X11FloatingWindows.h"
#include "app/platform/x11/X11FrontmostApplication.h"
#include "app/platform/x11/X11HotKeyService.h"
#include "app/platform/x11/X11Pasteboard.h"
#include "app/platform/x11/XTestKeystrokePoster.h"
#include "app/platform/xdg/XdgAutostartEntry.h"
#include "core/support/AppIdentity.h"

namespace stowline {

namespace {

QString currentDesktop() {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP").section(u':', 0, 0);
    if (!desktop.isEmpty())
        return desktop;
    if (qEnvironmentVariableIsSet("SWAYSOCK"))
        return QStringLiteral("sway");
    if (qEnvironmentVariableIsSet("HYPRLAND_INSTANCE_SIGNATURE"))
        return QStringLiteral("Hyprland");
    return {};
}

DesktopFacts factsOf(const WaylandSession& wayland, bool useWayland, const PortalHotKeyService* portal) {
    DesktopFacts facts;
    facts.desktop = currentDesktop();
    // GNOME keeps XWayland's clipboard in step with its own; elsewhere an X11 clipboard sees only X11 copies.
    facts.capture = useWayland || facts.desktop.compare(u"GNOME", Qt::CaseInsensitive) == 0;
    facts.sourceApplication = useWayland && wayland.toplevels() != nullptr;
    // Without the portal, no global shortcut reaches Stowline on Wayland unless the user binds one.
    facts.shortcut = portal && portal->isAvailable();
    // Typed through XWayland, the paste would reach X11 windows only.
    facts.paste = useWayland && wayland.canType();
    return facts;
}

} // namespace

std::shared_ptr<WaylandSession> PlatformServices::openWaylandSession() {
    if (qEnvironmentVariable("STOWLINE_CLIPBOARD") == u"x11")
        return nullptr;
    return WaylandSession::open();
}

QByteArray PlatformServices::windowPlatform(bool waylandClipboard, bool preferXWayland, bool hasX11) {
    const bool native = waylandClipboard && !preferXWayland;
    return native || !hasX11 ? QByteArrayLiteral("wayland") : QByteArrayLiteral("xcb");
}

Result<PlatformServices, QString> PlatformServices::forDesktop(std::shared_ptr<WaylandSession> wayland) {
    const QString forced = qEnvironmentVariable("STOWLINE_CLIPBOARD");
    if (!forced.isEmpty() && forced != u"x11" && forced != u"wayland")
        return fail(QStringLiteral("STOWLINE_CLIPBOARD must be x11 or wayland."));
    const bool useWayland = wayland && wayland->canReadClipboard();
    if (forced == u"wayland" && !useWayland) {
        return fail(QStringLiteral("STOWLINE_CLIPBOARD=wayland needs a Wayland compositor that offers "
                                   "data-control (KDE Plasma, Sway and other wlroots compositors, Hyprland, niri; "
                                   "COSMIC with COSMIC_DATA_CONTROL_ENABLED=1)."));
    }
    if (!useWayland && !DisplayServer::isX11()) {
        return fail(QStringLiteral("Stowline needs a Wayland compositor that offers data-control, or an X11 "
                                   "session (XWayland counts; on GNOME set QT_QPA_PLATFORM=xcb)."));
    }
    PlatformServices services;
    // Under XWayland a key grab would fire only while an X11 window has the keyboard.
    PortalHotKeyService* portal = nullptr;
    if (DisplayServer::isX11()) {
        services.hotKeys = std::make_unique<X11HotKeyService>();
    } else {
        auto portalService = std::make_unique<PortalHotKeyService>();
        portal = portalService.get();
        services.hotKeys = std::move(portalService);
    }
    services.secrets = desktopSecretStore();
    services.loginItem = std::make_unique<XdgAutostartEntry>();
    if (useWayland) {
        // Typing through XWayland would reach only X11 windows; where the compositor offers no keyboard of ours,
        // XTEST is still the way into those.
        if (wayland->canType())
            services.keystrokes = std::make_unique<WaylandKeystrokePoster>(wayland);
        else
            services.keystrokes = std::make_unique<XTestKeystrokePoster>();
        services.pasteboard = std::make_unique<WaylandPasteboard>(wayland);
        services.frontmost = std::make_unique<WaylandFrontmostApplication>(wayland);
    } else {
        services.keystrokes = std::make_unique<XTestKeystrokePoster>();
        services.pasteboard = std::make_unique<X11Pasteboard>();
        services.frontmost = std::make_unique<X11FrontmostApplication>();
    }
    if (wayland) {
        services.desktopFacts = [wayland, useWayland, portal] {
            return std::optional<DesktopFacts>(factsOf(*wayland, useWayland, portal));
        };
    }
    services.sessionReport = (useWayland ? QStringLiteral("clipboard=wayland\n") : QStringLiteral("clipboard=x11\n")) +
                             (wayland ? wayland->capabilities().report() : QString());
    if (DisplayServer::isX11())
        services.floatingWindows = std::make_unique<X11FloatingWindows>();
    else
        services.floatingWindows = std::make_unique<WaylandFloatingWindows>();
    services.textRecognizer = std::make_unique<TesseractTextRecognizer>();
    return services;
}

std::unique_ptr<SecretStore> PlatformServices::desktopSecretStore() {
    return std::make_unique<SecretServiceStore>(AppIdentity::applicationIdentifier());
}

} // namespace stowline
