#!/usr/bin/env bash
# Runs a Windows program under Wine (win32: 32-bit Wine, win64: 64-bit Wine), from the current
# folder, on an X server of its own (Xvfb), and leaves neither a Wine process nor the X server
# running.
# Usage: run_in_wine.sh win32|win64 WINEPREFIX PROGRAM [ARGUMENT...]
set -euo pipefail

source "$(dirname "$0")/wine_environment.sh" "$1" "$2"
shift 2

exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" bash -c '
    status=0
    timeout 100 "$WINE" "$@" || status=$?
    wineserver --kill 2>/dev/null || true
    wineserver --wait 2>/dev/null || true
    exit $status' run_in_wine "$@"
