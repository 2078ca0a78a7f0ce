#!/usr/bin/env bash
# Fails when C++ sources are not clang-formatted or when core/ includes widget or platform-service headers.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h')
if [ ${#sources[@]} -gt 0 ] && ! clang-format --dry-run -Werror "${sources[@]}" 2>/tmp/stowline-format.log; then
    echo "Not clang-formatted (run: clang-format -i <file>):"
    grep -oE '^[^:]+\.(cpp|h):' /tmp/stowline-format.log | sort -u
    status=1
fi

if grep -rnE '#include *[<"](Qt(Widgets|DBus)|QWidget|QApplication|QMainWindow|QDBus[A-Za-z]*|xcb/|X11/|libsecret|tesseract/|leptonica/|allheaders\.h)' core; then
    echo "core/ must not include widget, X11, D-Bus, libsecret or Tesseract headers (above)."
    status=1
fi
exit $status
