#!/usr/bin/env bash
# Runs the dialog and the bench under Xvfb on the simulated port, opens LPT1, initialises the
# display and plays the demo; saves PNGs of both windows while the banner shows and after the
# demo has ended, into <build folder>/screenshots/. Usage: scripts/screenshots.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build/default}")
bash scripts/install-dependencies.sh xvfb xauth xdotool imagemagick
mkdir -p "$build/screenshots"

xvfb-run -a -s "-screen 0 1480x760x24" bash -s "$build" <<'INNER'
set -euo pipefail
build=$1
shots=$build/screenshots
cd "$build/stage"
export LUMIVEX_SIM_STATE=/lumivex-screenshots-$$
./lumivex-bench >/dev/null 2>&1 &
bench=$!
./lumivex >/dev/null 2>&1 &
dialog=$!
trap 'kill $bench $dialog 2>/dev/null || true; rm -f "/dev/shm$LUMIVEX_SIM_STATE"' EXIT
bench_window=$(xdotool search --sync --name '^Lumivex bench$' | head -1)
dialog_window=$(xdotool search --sync --name '^Lumivex$' | head -1)
xdotool windowmove "$bench_window" 0 0
xdotool windowmove "$dialog_window" 740 0
sleep 1
xdotool windowactivate --sync "$dialog_window" 2>/dev/null || xdotool windowfocus "$dialog_window"
xdotool key alt+o
sleep 0.5
xdotool key alt+i
sleep 0.5
xdotool key alt+m
sleep 2 # glyphs defined, banner written, the display holds still for 3 s
import -window "$dialog_window" "$shots/dialog-demo.png"
import -window "$bench_window" "$shots/bench-demo.png"
sleep 15 # the demo has ended with the face at address 0
import -window "$bench_window" "$shots/bench-demo-end.png"
import -window root "$shots/desktop.png"
xdotool key alt+x
wait $dialog
INNER
echo "Screenshots in $build/screenshots:"
ls "$build/screenshots"
