#!/usr/bin/env bash
# Runs inside an X server without a window manager (xvfb-run): starts the installed lumivex
# command, presses Open Port, Close Port and Exit Program with their keys, and checks what each
# shows. With a port library in the run folder, Open and Close must show no message; without
# one, Open must report the missing library and Close that no port was open. The program must
# end with exit code 0.
# Usage: drive_installed.sh <run folder>
set -euo pipefail
run_folder=$1

# Mnemonics click their button about 100 ms after the key; this is how long a message box gets
# to appear before it counts as absent.
settle_tenths=20

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true; }

await_window() {
    local window
    for _ in $(seq 100); do
        window=$(window_named "$1")
        [ -n "$window" ] && echo "$window" && return 0
        sleep 0.1
    done
    echo "FAIL: no window '$1' appeared" >&2
    return 1
}

# No message box under either caption the port controls can raise.
expect_no_message_box() {
    for _ in $(seq "$settle_tenths"); do
        for caption in Orvo_LPT-Port-Modul Lumivex_Dilaog-Modul; do
            if [ -n "$(window_named "$caption")" ]; then
                echo "FAIL: $1 showed a message box '$caption'" >&2
                return 1
            fi
        done
        sleep 0.1
    done
}

# Awaits the message box, answers it with Return and awaits its going.
dismiss_message_box() {
    local box
    box=$(await_window "$1")
    xdotool windowfocus --sync "$box" key Return
    for _ in $(seq 50); do
        [ -z "$(window_named "$1")" ] && return 0
        sleep 0.1
    done
    echo "FAIL: message box '$1' did not close" >&2
    return 1
}

press() {
    xdotool windowfocus --sync "$dialog" key "$1"
}

lumivex &
program=$!
trap 'kill "$program" 2>/dev/null || true' EXIT
dialog=$(await_window Lumivex)

press alt+o
if [ -e "$run_folder/drv/PORT.DLL" ]; then
    echo "run folder has drv/PORT.DLL: Open and Close must show no message"
    expect_no_message_box "Open Port"
    press alt+c
    expect_no_message_box "Close Port"
else
    echo "run folder has no drv/PORT.DLL: Open must report it"
    dismiss_message_box Orvo_LPT-Port-Modul
    press alt+c
    dismiss_message_box Lumivex_Dilaog-Modul
fi

# A message box still open would swallow the key and keep the program running.
press alt+x
for _ in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program" 2>/dev/null; then
    echo "FAIL: Exit Program did not end the program" >&2
    exit 1
fi
trap - EXIT
status=0
wait "$program" || status=$?
if [ "$status" -ne 0 ]; then
    echo "FAIL: the program ended with exit code $status" >&2
    exit 1
fi
echo "installed program: opened, closed and exited with code 0"
