#!/usr/bin/env bash
# Runs a command inside a private headless Wayland session of one compositor (sway or kwin), with a session bus
# and an unlocked keyring, all with their state in a temporary folder that is removed afterwards.
#
#   with-wayland-session.sh sway|kwin [EXECUTABLE...] -- COMMAND [ARGUMENT...]
#
# Compositors refuse to run as root, so as root the session belongs to a test user made for it (stowline-test).
# The EXECUTABLEs are copied to a folder that user can read, $STOWLINE_TEST_BIN, so a build tree under /root
# works; COMMAND is looked up there first. KWin grants its window-management protocol only to programs whose
# desktop entry asks for it (and fake input likewise): the copied stowline and wayland tests get one.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
    # Second half, as the session's user inside its session bus.
    shift
    compositor=$1
    shift
    pids=()
    cleanup() {
        for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
        wait 2>/dev/null || true
    }
    trap cleanup EXIT
    eval "$(printf 'stowline-test' | gnome-keyring-daemon --unlock --components=secrets 2>/dev/null)"
    eval "$(gnome-keyring-daemon --start --components=secrets 2>/dev/null)"
    export GNOME_KEYRING_CONTROL
    case "$compositor" in
    sway)
        printf 'output HEADLESS-1 resolution 1280x800\nxwayland disable\n' >"$XDG_CONFIG_HOME/sway.conf"
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
            sway --config "$XDG_CONFIG_HOME/sway.conf" >"$STOWLINE_SESSION/compositor.log" 2>&1 &
        pids+=($!)
        ;;
    kwin)
        "$STOWLINE_TEST_BIN/kwin_wayland" --virtual --no-lockscreen --socket=stowline-kwin --width 1280 \
            --height 800 >"$STOWLINE_SESSION/compositor.log" 2>&1 &
        pids+=($!)
        ;;
    esac
    socket=""
    for _ in $(seq 200); do
        socket=$(find "$XDG_RUNTIME_DIR" -maxdepth 1 -type s \( -name 'wayland-*' -o -name 'stowline-kwin' \) \
            -printf '%f\n' | head -n1)
        [ -n "$socket" ] && break
        kill -0 "${pids[0]}" 2>/dev/null || break
        sleep 0.05
    done
    if [ -z "$socket" ]; then
        echo "$compositor did not start"
        cat "$STOWLINE_SESSION/compositor.log"
        exit 1
    fi
    export WAYLAND_DISPLAY=$socket
    command=$1
    shift
    [ -x "$STOWLINE_TEST_BIN/$command" ] && command="$STOWLINE_TEST_BIN/$command"
    status=0
    "$command" "$@" || status=$?
    [ $status -ne 0 ] && tail -n 30 "$STOWLINE_SESSION/compositor.log"
    exit $status
fi

compositor=${1:?sway or kwin}
shift
executables=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    executables+=("$1")
    shift
done
[ "${1:-}" = "--" ] && shift
[ $# -gt 0 ] || { echo "usage: $0 sway|kwin [EXECUTABLE...] -- COMMAND [ARGUMENT...]"; exit 2; }

run_as=()
if [ "$(id -u)" -eq 0 ]; then
    user=stowline-test
    id -u "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
    run_as=(runuser -u "$user" --)
else
    user=$(id -un)
fi

session=$(mktemp -d /tmp/stowline-wayland.XXXXXX)
trap 'rm -rf "$session"' EXIT
chmod 755 "$session"
mkdir -p "$session"/{bin,home,runtime,data/applications,config,cache}
for executable in "${executables[@]}"; do cp "$executable" "$session/bin/"; done
cp "$0" "$session/bin/with-wayland-session.sh"
if [ "$compositor" = kwin ]; then
    # A copy has no file capabilities, which a container refuses to grant.
    cp "$(command -v kwin_wayland)" "$session/bin/kwin_wayland"
    # The test programs that track windows and type get the same grant as stowline.
    for entry in Stowline:stowline WaylandTests:stowline_wayland_tests; do
        program=${entry#*:}
        [ -x "$session/bin/$program" ] || continue
        cat >"$session/data/applications/org.stowline.${entry%%:*}.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=$program
Exec=$session/bin/$program
NoDisplay=true
X-KDE-Wayland-Interfaces=org_kde_plasma_window_management,org_kde_kwin_fake_input
DESKTOP
    done
fi
chown -R "$user:" "$session"
chmod 700 "$session/runtime"

"${run_as[@]}" env -i PATH="/usr/local/bin:/usr/bin:/bin" HOME="$session/home" USER="$user" LANG=C.UTF-8 \
    XDG_RUNTIME_DIR="$session/runtime" XDG_DATA_HOME="$session/data" XDG_CONFIG_HOME="$session/config" \
    XDG_CACHE_HOME="$session/cache" XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland \
    STOWLINE_SESSION="$session" STOWLINE_TEST_BIN="$session/bin" STOWLINE_COMPOSITOR="$compositor" \
    dbus-run-session -- bash "$session/bin/with-wayland-session.sh" --inside "$compositor" "$@"
