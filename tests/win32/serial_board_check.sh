#!/usr/bin/env bash
# The Windows serial port library reaching a board: a fake board on a pseudo-terminal that the
# Wine prefix maps to COM7, and the program opening LPT1 on it with --port=serial and running the
# LED test (dialog_scenarios serial_port_drives_a_board). The board must see the LED test's first
# patterns with the waits between them.
# Usage, from the run folder: serial_board_check.sh win32|win64 WINEPREFIX DIALOG_SCENARIOS SCRATCH
set -euo pipefail
here=$(dirname "$0")
arch=$1 prefix=$2 scenarios=$3 scratch=$4
rm -rf "$scratch"
mkdir -p "$scratch"
python3 "$here/fake_board.py" "$scratch/pty" "$scratch/board.log" 100 &
board=$!
trap 'kill $board 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "$scratch/pty" ] && break || sleep 0.1; done
"$here/run_in_wine.sh" "$arch" "$prefix" reg add 'HKLM\Software\Wine\Ports' /v COM7 \
    /d "$(cat "$scratch/pty")" /f >/dev/null
printf 'device = COM7\n' >"$scratch/serial.conf"
LUMIVEX_SERIAL_CONF="Z:${scratch//\//\\}\\serial.conf" \
    "$here/run_in_wine.sh" "$arch" "$prefix" "$scenarios" serial_port_drives_a_board
seen=$(grep -E '^(data|M) ' "$scratch/board.log" | head -9 | tr '\n' ' ')
expected='data 00 data FF M 400 data 00 M 400 data FF M 400 data 00 M 400 '
[ "$seen" = "$expected" ] || { echo "the board saw: $seen" >&2 && exit 1; }
