#!/usr/bin/env bash
# Screenshots of the dialog: the Windows program under Wine, then the window of its simulated
# port while the demo plays, then the Qt program, on the same X server (Xvfb), each cropped to
# its window, into build/<windows build>/screenshots/.
# Usage: screenshots-win32.sh [win32|win64] (default win32: the 32-bit program under 32-bit
# Wine; win64 where this host cannot run 32-bit programs). Needs the default build, that
# Windows build and the Wine prefix of its tests.
set -euo pipefail
cd "$(dirname "$0")/.."

windows_build=${1:-win32}
echo "Windows dialog: build/$windows_build under $windows_build Wine"
source tests/win32/wine_environment.sh "$windows_build" "$PWD/build/$windows_build/wine-prefix"
export SCREENSHOTS=$PWD/build/$windows_build/screenshots windows_build
mkdir -p "$SCREENSHOTS"

xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    # Waits (ten seconds at most) for the window named $2 (default "Lumivex"), gives it a
    # moment to paint, since nothing tells when it has, and saves what the screen shows of it.
    shoot() {
        local name=${2:-Lumivex}
        for attempt in $(seq 100); do
            xwininfo -name "$name" >/dev/null 2>&1 && break
            sleep 0.1
        done
        sleep 1
        local geometry
        geometry=$(xwininfo -name "$name" | awk "
            /Absolute upper-left X/ {x = \$4} /Absolute upper-left Y/ {y = \$4}
            /Width:/ {w = \$2} /Height:/ {h = \$2}
            END {print w \"x\" h \"+\" x \"+\" y}")
        import -window root -crop "$geometry" +repage "$SCREENSHOTS/$1"
        echo "$SCREENSHOTS/$1 ($geometry)"
    }

    (cd "build/$windows_build/stage" && exec "$WINE" lumivex.exe) &
    shoot "$windows_build-dialog.png"
    wineserver --kill
    wait $! || true
    wineserver --wait

    # The test driver opens LPT1 and plays the demo; a second after the bench window opens the
    # banner is on the display.
    (cd "build/$windows_build/stage" &&
        exec "$WINE" ../tests/win32/dialog_scenarios.exe play_demo) &
    shoot "$windows_build-sim-port-demo.png" "Lumivex bench"
    wineserver --kill
    wait $! || true
    wineserver --wait

    (cd build/default/stage && exec ./lumivex) &
    shoot qt-dialog.png
    kill $!
    wait $! || true'
