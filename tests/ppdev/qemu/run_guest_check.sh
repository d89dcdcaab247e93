#!/usr/bin/env bash
# Boots Debian's kernel under QEMU with an emulated parallel port at 0x378, loads parport_pc
# and ppdev, and runs guest_check with the ppdev port library as drv/PORT.DLL; then checks
# what the guest printed and what the port put out.
# Usage: run_guest_check.sh <work folder> <guest_check> <ppdev port library>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
cd "$1"
source "$here/../../support/qemu/guest.sh"

guest_root "$here/init" "$2=guest_check" "$3=drv/PORT.DLL"
rm -f parallel.out
boot_guest -parallel file:parallel.out

expect "open LPT1: 0"
expect "data: 58"
expect "status: D8"
expect "control with direction in: 2B"
expect "control with direction out: 0B"
expect "close: 0"
expect "lumivex ppdev: /dev/parport1: no such device; load the kernel modules parport_pc and ppdev (modprobe parport_pc ppdev)"
expect "Orvo_LPT-Port-Modul: Err3 - Can't open LPT2!"
expect "open LPT2: 3"
expect "another program claims LPT1: 0"
expect 'lumivex ppdev: /dev/parport0: in use: another program holds the port through ppdev ("ppdev0")'
expect "Orvo_LPT-Port-Modul: Err3 - Can't open LPT1!"
expect "open LPT1 while held: 3"
expect "open LPT1 once released: 0"
expect "guest check ended"
if [ "$(cat parallel.out 2>/dev/null)" != "LUMIVEX" ]; then
    echo "the emulated port put out \"$(cat parallel.out 2>/dev/null)\", not \"LUMIVEX\""
    failed=1
fi
end_check
echo "guest check passed: ppdev on parport_pc, strobed bytes: $(cat parallel.out)"
