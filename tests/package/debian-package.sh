#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it as a distribution would.
#   usage: debian-package.sh BUILD_DIR CHECKS_DIR
set -euo pipefail
checks=$2
cd "$1"
rm -f stowline_*.deb
cpack -G DEB >/dev/null
deb=$(ls stowline_*.deb)

depends=$(dpkg-deb --field "$deb" Depends)
for needed in libc6 libqt6widgets6 libqt6svg6 libssl3 libtesseract5 libsecret-1-0 libxcb1 tesseract-ocr-eng; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || { echo "Depends lacks $needed: $depends"; exit 1; }
done
[ -n "$(dpkg-deb --field "$deb" Maintainer)" ] || { echo "no Maintainer"; exit 1; }

# The executable as shipped (stripped) keeps its hardening.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
bash "$checks/hardening.sh" "$unpacked/usr/bin/stowline"

# Warnings and notes are shown; errors and any hardening tag fail.
report=$(lintian --fail-on error --display-info "$deb") || { echo "$report"; exit 1; }
echo "$report"
if grep -q 'hardening-' <<<"$report"; then
    echo "lintian reports missing hardening"
    exit 1
fi
echo "$deb: lintian found no errors and no missing hardening"
