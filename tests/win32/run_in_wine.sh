#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine, from the current folder, on an X server of its own
# (Xvfb), and leaves neither a Wine process nor the X server running.
# Usage: run_in_wine.sh WINEPREFIX PROGRAM [ARGUMENT...]
set -euo pipefail

export WINEPREFIX=$1 WINEARCH=win32 WINEDEBUG=-all
# Nothing here needs .NET or a browser engine: no offer to install Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
shift

exec xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" bash -c '
    status=0
    timeout 100 wine "$@" || status=$?
    wineserver --kill 2>/dev/null || true
    wineserver --wait 2>/dev/null || true
    exit $status' run_in_wine "$@"
