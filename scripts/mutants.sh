#!/usr/bin/env bash
# Plants deliberate faults, one at a time, in a scratch copy of the sources and says for each
# whether the tests catch it ("killed", with the first test that failed) or not ("survived").
# Faults in the Windows front end are tried in the win32 build under Wine, the others in the
# default build. Needs what the test command installs. Usage: scripts/mutants.sh [NAME...]
# (only the faults whose names contain one of the words). Exit status 1 if a fault survives.
set -euo pipefail
cd "$(dirname "$0")/.."

scratch=${LUMIVEX_MUTANTS_DIR:-$PWD/build/mutants}
mutants=()

# mutant NAME PRESET FILE OLD NEW: replace the one occurrence of OLD in FILE by NEW.
mutant() { mutants+=("$1"$'\x1f'"$2"$'\x1f'"$3"$'\x1f'"$4"$'\x1f'"$5"); }

mutant "init: one of the two 1 ms waits dropped" default display/initialisation.cpp \
    $'    port::wait_ms(1);\n    port::wait_ms(1);\n' $'    port::wait_ms(1);\n'
mutant "demo: the 3 s wait shortened" default display/demo.cpp \
    'port::wait_ms(3000);' 'port::wait_ms(300);'
mutant "demo: 18 scroll loops instead of 19" default display/demo.cpp \
    'for (int i = 0; i < 19; ++i)' 'for (int i = 0; i < 18; ++i)'
mutant "commands: Set DDRAM address masked to 6 bits" default display/commands.cpp \
    'hd44780::set_ddram_address, 0x7F}' 'hd44780::set_ddram_address, 0x3F}'
mutant "bus: 4-bit write sends the low nibble first" default display/bus_cycles.cpp \
    'write_data_register(byte & 0xF0);' 'write_data_register((byte << 4) & 0xF0);'
mutant "port: close leaves E high" default port/port_registers.h \
    'return (control & ~control_lines) | control_idle;' 'return control | control_lines;'
mutant "port: notice caption misspelt" default port/port_module.cpp \
    '"Orvo_LPT-Port-Modul"' '"Orvo_LPT-Port-Module"'
mutant "dialog: Clear Display wired to return home" default dialog/handlers.cpp \
    '{clear_display_button, display::hd44780::clear_display}' \
    '{clear_display_button, display::hd44780::return_home}'
mutant "sim: latch on E's rising edge" default drv/sim/hd44780_model.cpp \
    $'    if (pins.e && !pins_.e)\n        rising_edge(pins.rs, now_us);\n    else if (!pins.e && pins_.e)\n        falling_edge(now_us);' \
    $'    if (pins.e && !pins_.e) {\n        pins_.data = pins.data;\n        rising_edge(pins.rs, now_us);\n        falling_edge(now_us);\n    }'
mutant "sim: read nibbles swapped" default drv/sim/hd44780_model.cpp \
    'state_.low_nibble_next ? static_cast' '!state_.low_nibble_next ? static_cast'
mutant "sim: second line at 0x48" default drv/sim/hd44780_model.cpp \
    'second_line_first = 0x40;' 'second_line_first = 0x48;'
mutant "sim: clear display no longer slow" default drv/sim/hd44780_model.cpp \
    'byte == 0x01 || (byte & 0xFE) == 0x02' '(byte & 0xFE) == 0x02'
mutant "ppdev: DR written to the control lines" default drv/ppdev/ppdev_port.cpp \
    'transfer(PPWDATA, "PPWDATA", &byte);' 'transfer(PPWCONTROL, "PPWCONTROL", &byte);'
mutant "sketch: waits half as long" default firmware/arduino/lumivex/waits.cpp \
    'wait_ticks(uint32_t(us) * ticks_per_us);' 'wait_ticks(uint32_t(us));'
mutant "sketch: an overflowing buffer not told" default firmware/arduino/lumivex/board.cpp \
    'status |= LUMIVEX_STATUS_OVERFLOW;' ';'
mutant "sketch: the byte read from the backpack lost" default firmware/arduino/lumivex/i2c_byte.cpp \
    '*value = Wire.read();' 'Wire.read();'
mutant "sketch: the first port's pins read as 0" default firmware/arduino/lumivex/lines.cpp \
    'pins[p] = *ports[p].in;' 'pins[p] = p ? *ports[p].in : 0;'
mutant "bench: a block with a foreign magic accepted" default drv/sim/published_state.h \
    'state.magic == published_state_magic &&' ''
mutant "gpio/i2c: E no longer falls first" default drv/common/signal_steps.cpp \
    'if (from.e == to.e || e_unchanged == from)' 'if (true)'
mutant "i2c: unchanged levels sent again" default drv/backpack/backpack_port.cpp \
    'if (!failures_.answering() || levels == sent_)' 'if (!failures_.answering())'
mutant "mcp2221: a transfer left hanging is not cancelled" default drv/mcp2221/mcp2221_device.cpp \
    'if (error == 0 && answer[status_engine_state] != engine_idle) {' 'if (false) {'
mutant "mcp2221: each write's answer awaited" default drv/mcp2221/mcp2221_device.cpp \
    $'    write_pending_ = error == 0;\n    return error;' \
    $'    write_pending_ = error == 0;\n    return error != 0 ? error : collect_write();'
mutant "gpio/i2c/ppdev: a failed transfer does not stop the port" default \
    drv/common/port_failures.cpp $'    answering_ = false;\n    line_ = failure_line' \
    '    line_ = failure_line'
mutant "serial: the data lines driven on while R/W rises" default drv/serial/serial_port.cpp \
    'input ? link_.set_directions(mask, 0) : std::string()' 'std::string()'
mutant "serial: more bytes sent than the board's buffer holds" default drv/serial/board_link.cpp \
    'while (sent_ + bytes + sync_length - confirmed_ > window_ &&' 'while (bytes == 0 &&'
mutant "qt: a close request ignored" default ui/qt/qt_dialog.cpp \
    $'    event->ignore();\n    request_exit();' '    event->ignore();'
mutant "win32: a combo box close-up taken as an edit change" win32 ui/win32/dialog_procedure.cpp \
    $'    case CBN_CLOSEUP:\n        return dialog::Notification::close_up;' \
    $'    case CBN_CLOSEUP:\n        return dialog::Notification::edit_change;'

# The scratch copy: the tracked files as they are in the working tree, built once.
echo "=== scratch copy in $scratch"
# A file that differs from the copy's is written anew, with a new time, so that a build left
# with a fault in it by an earlier run is brought up to date.
rm -rf "$scratch/incoming" && mkdir -p "$scratch/incoming" "$scratch/src"
git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$scratch/incoming"
(cd "$scratch/src" && find . -path ./build -prune -o -type f -print) | while read -r file; do
    [ -e "$scratch/incoming/$file" ] || rm -f "$scratch/src/$file"
done
(cd "$scratch/incoming" && find . -type f -print) | while read -r file; do
    cmp -s "$scratch/incoming/$file" "$scratch/src/$file" ||
        install -D -m "$(stat -c %a "$scratch/incoming/$file")" "$scratch/incoming/$file" \
            "$scratch/src/$file"
done
cd "$scratch/src"
# Whether a fault is one of those asked for.
chosen() { [ ${#words[@]} -eq 0 ] || grep -qiF -f <(printf '%s\n' "${words[@]}") <<<"$1"; }
words=("$@")
presets=()
for entry in "${mutants[@]}"; do
    IFS=$'\x1f' read -r -d '' name preset rest < <(printf '%s\0' "$entry")
    chosen "$name" && [[ " ${presets[*]} " != *" $preset "* ]] && presets+=("$preset")
done
for preset in "${presets[@]}"; do
    echo "=== $preset build, without faults"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
    ctest --preset "$preset" -E '^clang_format$' >/dev/null ||
        { echo "FAIL: the tests fail without faults" >&2; exit 1; }
done

survived=0
printf '%-55s %-9s %s\n' "fault" "result" "first failing test"
for entry in "${mutants[@]}"; do
    IFS=$'\x1f' read -r -d '' name preset file old new < <(printf '%s\0' "$entry")
    chosen "$name" || continue
    cp "$file" "$file.original"
    if ! perl -0pi -e 'BEGIN { $old = shift; $new = shift } s/\Q$old\E/$new/ or exit 3' \
        "$old" "$new" "$file"; then
        mv "$file.original" "$file"
        printf '%-55s %-9s %s\n' "$name" "NOT FOUND" "$file has changed: update the fault"
        survived=1
        continue
    fi
    if ! cmake --build --preset "$preset" >build.log 2>&1; then
        result="no build"
        test_name="(does not compile: not a useful fault)"
        survived=1
    # The format check would take any edit for a catch.
    elif ctest --preset "$preset" --stop-on-failure -E '^clang_format$' >test.log 2>&1; then
        result="SURVIVED"
        test_name="-"
        survived=1
    else
        result="killed"
        test_name=$(sed -n 's/.*Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p;s/.*Test *#[0-9]*: \([^ ]*\) .*Failed.*/\1/p' \
            test.log | head -1)
    fi
    mv "$file.original" "$file"
    touch "$file"
    printf '%-55s %-9s %s\n' "$name" "$result" "$test_name"
done
exit $survived
