#!/usr/bin/env bash
# Runs as a normal user in a home of its own, inside an X server without a window manager and a
# session bus (xvfb-run, dbus-run-session). Starts the installed lumivex command from / as a user
# would, works the dialog with its keys and reads the windows through the accessibility bus:
# - with no option and no setting: the simulated port, with the bench beside it. Open and Close
#   Port show no message; the bench records into the user's data folder, since the current
#   folder is not the user's; Exit Program ends both, with exit code 0;
# - each hardware library on a device that is not there, gpio chosen by --port=, i2c by the
#   user's setting and ppdev by the menu entry's action: Open Port shows "Err3 - Can't open LPT1!"
#   with the library's reason (as it writes it to standard error) below it, and no bench opens.
# Usage: drive_installed.sh <folder holding accessible.py>
set -euo pipefail
helpers=$1
accessible() { /usr/bin/python3 "$helpers/accessible.py" "$@"; }
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
errors=$HOME/errors.txt

# Mnemonics click their button about 100 ms after the key; this is how long a message box gets
# to appear before it counts as absent.
settle_tenths=20

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true; }

await_window() {
    local window
    for _ in $(seq 100); do
        window=$(window_named "$1")
        [ -n "$window" ] && echo "$window" && return 0
        sleep 0.1
    done
    fail "no window '$1' appeared"
}

# No message box under either caption the port controls can raise.
expect_no_message_box() {
    for _ in $(seq "$settle_tenths"); do
        for caption in Orvo_LPT-Port-Modul Lumivex_Dilaog-Modul; do
            [ -z "$(window_named "$caption")" ] || fail "$1 showed a message box '$caption'"
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
    fail "message box '$1' did not close"
}

press() { xdotool windowfocus --sync "$dialog" key "$1"; }

# Starts the command given from / with standard error in $errors, and awaits the dialog.
start_lumivex() {
    echo "--- $*"
    (cd / && exec "$@" 2>"$errors") &
    program=$!
    trap 'kill "$program" 2>/dev/null || true' EXIT
    dialog=$(await_window Lumivex)
}

# Exit Program must end the program (a message box still open would swallow the key), with code 0.
exit_lumivex() {
    press alt+x
    for _ in $(seq 100); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$program" 2>/dev/null && fail "Exit Program did not end the program"
    wait "$program" || fail "the program ended with exit code $?"
}

# The command of the menu entry's action for the port library named.
action_command() {
    awk -v group="[Desktop Action $1]" '
        $0 == group { inside = 1; next }
        /^\[/ { inside = 0 }
        inside && sub(/^Exec=/, "") { print }' /usr/share/applications/lumivex.desktop
}

# Open Port fails with Err3, and the reason below it is the library's, naming the device.
expect_reason_in_err3() {
    local device=$1 text reason
    press alt+o
    text=$(accessible text Orvo_LPT-Port-Modul "Err3 - Can't open LPT1!")
    [[ "$text" == *$'\n'* ]] || fail "the Err3 box gives no reason below its text: '$text'"
    reason=${text#*$'\n'}
    [[ "$reason" == *"$device"* ]] && grep -qF -- "$reason" "$errors" ||
        fail "the Err3 box's reason '$reason' is not the library's about $device: $(cat "$errors")"
    echo "Err3 - Can't open LPT1! / $reason"
    [ -z "$(window_named 'Lumivex bench')" ] || fail "the bench opened beside a hardware library"
    dismiss_message_box Orvo_LPT-Port-Modul
    exit_lumivex
}

# The simulated port, the bench, and a recording where the user may write.
start_lumivex lumivex
await_window "Lumivex bench" >/dev/null
press alt+o
expect_no_message_box "Open Port"
recordings=$XDG_DATA_HOME/lumivex
accessible press "Lumivex bench" "Record VCD"
accessible text "Lumivex bench" "Recording to $recordings/lumivex-bench-" >/dev/null
accessible press "Lumivex bench" "Record VCD"
accessible text "Lumivex bench" "Saved $recordings/lumivex-bench-" >/dev/null
compgen -G "$recordings/lumivex-bench-*.vcd" >/dev/null || fail "no recording in $recordings"
press alt+c
expect_no_message_box "Close Port"
exit_lumivex
for _ in $(seq 50); do
    [ -z "$(window_named 'Lumivex bench')" ] && break
    sleep 0.1
done
[ -z "$(window_named 'Lumivex bench')" ] || fail "the bench stayed after the program ended"
echo "simulated port: opened, recorded in $recordings, closed, exited with code 0"

# GPIO by name, on a chip that is not there, as the user's own configuration names it.
mkdir -p "$XDG_CONFIG_HOME/lumivex"
printf '[LPT1]\nchip = gpiochip-lumivex-test\nrs = 17\ne = 22\nd4 = 12\nd5 = 16\nd6 = 20\nd7 = 21\n' \
    >"$XDG_CONFIG_HOME/lumivex/gpio.conf"
start_lumivex lumivex --port=gpio
expect_reason_in_err3 gpiochip-lumivex-test

# The I2C backpack by the setting, on a bus that is not there, in the file the variable names.
echo "port = i2c" >"$XDG_CONFIG_HOME/lumivex/lumivex.conf"
printf '[LPT1]\nbus = /dev/i2c-lumivex-test\n' >"$HOME/i2c.conf"
export LUMIVEX_I2C_CONF=$HOME/i2c.conf
start_lumivex lumivex
expect_reason_in_err3 i2c-lumivex-test
rm "$XDG_CONFIG_HOME/lumivex/lumivex.conf"

# ppdev by the menu entry's action, on a parallel port that is not there.
export LUMIVEX_PPDEV_LPT1=/dev/parport-lumivex-test
read -ra command <<<"$(action_command ppdev)"
start_lumivex "${command[@]}"
expect_reason_in_err3 parport-lumivex-test
echo "installed program: every port library chosen by name, setting and menu action"
