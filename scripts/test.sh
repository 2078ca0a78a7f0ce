#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test in a private desktop session.
# Extra arguments go to ctest (for example: -L core).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-sources.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
bash scripts/with-desktop-session.sh ctest --preset ci "$@"
