#!/usr/bin/env bash
# Builds the Debian package into the build folder: build/stowline_VERSION_ARCH.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci --target stowline stowline_data
(cd build && cpack -G DEB >/dev/null)
ls build/stowline_*.deb
