#!/usr/bin/env bash
# Boots Debian's kernel under QEMU, loads i2c-dev and i2c-stub with a device at 0x27, and runs
# guest_check with the i2c port library as drv/PORT.DLL; then checks what the guest printed.
# i2c-stub keeps registers, not a PCF8574's pins: this proves the transfers reach a kernel
# adapter at the configured address, the values are the substituted bus's tests' business.
# Usage: run_guest_check.sh <work folder> <guest_check> <i2c port library>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
cd "$1"
source "$here/../../support/qemu/guest.sh"

guest_root "$here/init" "$2=guest_check" "$3=drv/PORT.DLL"
boot_guest

bus=$(sed -n 's/^stub bus: //p' console-lines.txt)
expect "open LPT1: 0"
expect "status: 2F"
expect "close: 0"
expect "lumivex i2c: /dev/i2c-$bus: no device answers at address 0x3F (i2cdetect -y $bus lists the addresses that do)"
expect "Orvo_LPT-Port-Modul: Err3 - Can't open LPT2!"
expect "open LPT2: 3"
expect "guest check ended"
end_check
echo "guest check passed: i2c on i2c-stub, bus /dev/i2c-$bus"
