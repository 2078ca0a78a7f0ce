#!/usr/bin/env bash
# Fails when C++ sources are not clang-formatted or when core/ includes widget or platform-service headers.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
log_dir=build
mkdir -p "$log_dir"
log="$log_dir/check-sources-format.log"
mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
if [ ${#sources[@]} -gt 0 ] && ! clang-format --dry-run -Werror "${sources[@]}" 2>"$log"; then
    echo "Not clang-formatted (run: clang-format -i <file>):"
    grep -oE '^[^:]+\.(cpp|h):' "$log" | sort -u
    status=1
fi

# core/ may use QtGui for image decoding only: no windows, clipboard or network either.
if grep -rnE '#include *[<"](Qt(Widgets|DBus|Network)/|Qt(Widgets|DBus|Network)>|QWidget|QApplication|QMainWindow|QClipboard|QWindow|QGuiApplication|QDBus[A-Za-z]*|QLocal(Socket|Server)|QTcp[A-Za-z]*|QUdpSocket|QNetwork[A-Za-z]*|QHostAddress|QSsl[A-Za-z]*|xcb/|X11/|libsecret|tesseract/|leptonica/|allheaders\.h)' core; then
    echo "core/ must not include widget, window, clipboard, network, X11, D-Bus, libsecret or Tesseract headers (above)."
    status=1
fi
exit $status
