#!/usr/bin/env bash
# Installs what is missing, builds, and starts Lumivex from its run folder on the simulated port
# (whatever the user's setting chooses), with the bench window beside it; the bench ends with
# the dialog.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh $(cat scripts/build-packages.txt)
cmake --preset run
cmake --build --preset run
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "Built. Lumivex is a desktop program: run this from a graphical session" \
        "(neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    exit 1
fi
cd build/run/stage
./lumivex-bench &
bench=$!
trap 'kill "$bench" 2>/dev/null || true' EXIT
./lumivex --port=sim
