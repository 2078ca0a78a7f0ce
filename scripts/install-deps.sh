#!/usr/bin/env bash
# Installs everything Stowline needs to build, run and test on Debian 12.
# Skips apt entirely when every package is already present, so re-runs are fast.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config clang-format ccache
    qt6-base-dev qt6-base-dev-tools libqt6svg6-dev qt6-image-formats-plugins qt6-qpa-plugins
    libicu-dev libssl-dev libsimdjson-dev
    libgtest-dev libgmock-dev
    libsecret-1-dev libglib2.0-dev
    libtesseract-dev libleptonica-dev tesseract-ocr-eng
    libxcb1-dev libxcb-xtest0-dev libxcb-keysyms1-dev libxcb-xfixes0-dev x11proto-dev
    libwayland-dev wayland-protocols plasma-wayland-protocols libxkbcommon-dev
    # run and test: a real X server, window manager, session bus, keyring and X clients
    xvfb xauth openbox dbus dbus-x11 gnome-keyring libsecret-tools xclip xdotool x11-utils trayer
    # headless Wayland sessions (Sway, KWin) with Wayland clients: wl-clipboard, Qt's Wayland platform
    sway kwin-wayland wl-clipboard qt6-wayland
    # a GTK 3 application that copies as GTK programs do (end-to-end tests, capture benchmark)
    python3-gi gir1.2-gtk-3.0
    fonts-dejavu-core
    # install and package checks: the Debian package, its metadata and its man page
    dpkg-dev binutils file desktop-file-utils appstream lintian man-db groff-base libxml2-utils
    bash-completion zsh fish
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
