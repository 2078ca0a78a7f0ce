#!/usr/bin/env bash
# Installs into a temporary prefix and checks that the tree holds exactly the files of an installed Stowline,
# that their versions agree, and that the start at login names the installed executable.
#   usage: installed-tree.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
instance=""
cleanup() {
    [ -n "$instance" ] && kill "$instance" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/stowline
share/applications/org.stowline.Stowline.desktop
share/bash-completion/completions/stowline
share/doc/stowline/changelog.gz
share/doc/stowline/copyright
share/fish/vendor_completions.d/stowline.fish
share/icons/hicolor/scalable/apps/org.stowline.Stowline.svg
share/icons/hicolor/scalable/status/org.stowline.Stowline-capturing.svg
share/icons/hicolor/scalable/status/org.stowline.Stowline-paused.svg
share/lintian/overrides/stowline
share/man/man1/stowline.1.gz
share/metainfo/org.stowline.Stowline.metainfo.xml
share/zsh/vendor-completions/_stowline"
diff -u <(echo "$expected") <(cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) ||
    { echo "the installed tree differs from the expected one (- expected, + installed)"; exit 1; }

# One version everywhere a user or a software centre reads it.
version=$("$prefix/bin/stowline" --version | sed -n 's/^Stowline //p')
[ -n "$version" ] || { echo "the installed stowline does not tell its version"; exit 1; }
release=$(xmllint --xpath 'string(/component/releases/release[1]/@version)' \
    "$prefix/share/metainfo/org.stowline.Stowline.metainfo.xml")
page=$(zcat "$prefix/share/man/man1/stowline.1.gz" | sed -n 's/^\.TH .*"Stowline \([^"]*\)".*/\1/p')
changelog=$(zcat "$prefix/share/doc/stowline/changelog.gz" | sed -n '1s/^stowline (\([^)]*\)).*/\1/p')
for pair in "metainfo release:$release" "man page:$page" "changelog:$changelog"; do
    [ "${pair#*:}" = "$version" ] || { echo "${pair%%:*} says ${pair#*:}, the executable $version"; exit 1; }
done

# KWin grants its window management to the entry whose Exec is the executable's absolute path.
desktop=$prefix/share/applications/org.stowline.Stowline.desktop
grep -qFx "Exec=$prefix/bin/stowline" "$desktop" && grep -qFx "Exec=$prefix/bin/stowline toggle" "$desktop" ||
    { echo "the installed desktop entry does not name $prefix/bin/stowline:"; cat "$desktop"; exit 1; }

# A start from the installed tree writes a start-at-login entry that names the installed executable.
[ -n "${DISPLAY:-}" ] || { echo "no X display: run inside scripts/with-desktop-session.sh"; exit 1; }
home=$work/home
export HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$prefix/bin/stowline" --background >"$work/instance.log" 2>&1 &
instance=$!
entry=$XDG_CONFIG_HOME/autostart/org.stowline.Stowline.desktop
for _ in $(seq 300); do
    "$prefix/bin/stowline" status >/dev/null 2>&1 && break
    kill -0 "$instance" 2>/dev/null || { echo "the installed stowline ended early:"; cat "$work/instance.log"; exit 1; }
    sleep 0.1
done
"$prefix/bin/stowline" quit >/dev/null
wait "$instance"
instance=""
grep -qFx "Exec=$prefix/bin/stowline --background" "$entry" ||
    { echo "the start-at-login entry does not name $prefix/bin/stowline:"; cat "$entry"; exit 1; }
echo "installed tree: $(echo "$expected" | wc -l) files, version $version, start at login names the installed executable"
