#!/usr/bin/env bash
# Installs what is missing, builds, and starts Lumivex from its run folder.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh $(cat scripts/build-packages.txt)
cmake --preset default -DLUMIVEX_TESTS=OFF
cmake --build --preset default
cd build/default/stage
exec ./lumivex
