#!/usr/bin/env bash
# Installs what is missing, builds and starts Stowline; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
exec ./build/stowline "$@"
