#!/usr/bin/env bash
# Runs a command inside a private desktop session: a session bus, an X server (Xvfb) with a window manager,
# and an unlocked gnome-keyring, all with their state in a temporary folder that is removed afterwards.
set -euo pipefail

if [ -z "${STOWLINE_SESSION_BUS:-}" ]; then
    export STOWLINE_SESSION_BUS=1
    exec dbus-run-session -- "$0" "$@"
fi

session=$(mktemp -d /tmp/stowline-session.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$session"
}
trap cleanup EXIT

export XDG_DATA_HOME="$session/data" XDG_CONFIG_HOME="$session/config" XDG_CACHE_HOME="$session/cache"
export XDG_RUNTIME_DIR="$session/runtime"
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Let the X server pick a free display and report it.
exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1920x1080x24 -nolisten tcp >"$session/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 20 display <&"$displayfd" || { echo "Xvfb did not start"; cat "$session/xvfb.log"; exit 1; }
export DISPLAY=":$display"
unset WAYLAND_DISPLAY

openbox --sm-disable >"$session/openbox.log" 2>&1 &
pids+=($!)

# A password on standard input creates and unlocks the login keyring without a prompt.
eval "$(printf 'stowline-test' | gnome-keyring-daemon --unlock --components=secrets 2>/dev/null)"
eval "$(gnome-keyring-daemon --start --components=secrets 2>/dev/null)"
export GNOME_KEYRING_CONTROL

"$@"
