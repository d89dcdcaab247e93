#!/usr/bin/env bash
# Screenshots of the dialog: the Windows program under Wine, then the Qt program, on the same
# X server (Xvfb), each cropped to its window, into build/win32/screenshots/. Needs the default
# and the win32 build and the Wine prefix of the win32 tests.
set -euo pipefail
cd "$(dirname "$0")/.."

export SCREENSHOTS=$PWD/build/win32/screenshots
export WINEPREFIX=$PWD/build/win32/wine-prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$SCREENSHOTS"

xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" bash -c '
    set -euo pipefail
    # Waits (ten seconds at most) for the window "Lumivex", gives it a moment to paint, since
    # nothing tells when it has, and saves what the screen shows of it.
    shoot() {
        for attempt in $(seq 100); do
            xwininfo -name Lumivex >/dev/null 2>&1 && break
            sleep 0.1
        done
        sleep 1
        local geometry
        geometry=$(xwininfo -name Lumivex | awk "
            /Absolute upper-left X/ {x = \$4} /Absolute upper-left Y/ {y = \$4}
            /Width:/ {w = \$2} /Height:/ {h = \$2}
            END {print w \"x\" h \"+\" x \"+\" y}")
        import -window root -crop "$geometry" +repage "$SCREENSHOTS/$1"
        echo "$SCREENSHOTS/$1 ($geometry)"
    }

    (cd build/win32/stage && exec wine lumivex.exe) &
    shoot win32-dialog.png
    wineserver --kill
    wait $! || true
    wineserver --wait

    (cd build/default/stage && exec ./lumivex) &
    shoot qt-dialog.png
    kill $!
    wait $! || true'
