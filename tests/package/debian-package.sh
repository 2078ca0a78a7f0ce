#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it as a distribution would.
#   usage: debian-package.sh BUILD_DIR
set -euo pipefail
cd "$1"
rm -f stowline_*.deb
cpack -G DEB >/dev/null
deb=$(ls stowline_*.deb)

depends=$(dpkg-deb --field "$deb" Depends)
for needed in libc6 libqt6widgets6 libqt6svg6 libssl3 libtesseract5 libsecret-1-0 libxcb1 tesseract-ocr-eng; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || { echo "Depends lacks $needed: $depends"; exit 1; }
done
[ -n "$(dpkg-deb --field "$deb" Maintainer)" ] || { echo "no Maintainer"; exit 1; }

# Warnings and notes are shown; errors fail.
lintian --fail-on error --display-info "$deb"
echo "$deb: lintian found no errors"
