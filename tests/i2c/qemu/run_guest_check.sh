#!/usr/bin/env bash
# Boots Debian's kernel under QEMU, loads i2c-dev and i2c-stub with a device at 0x27, and runs
# guest_check with the i2c port library as drv/PORT.DLL; then checks what the guest printed.
# i2c-stub keeps registers, not a PCF8574's pins: this proves the transfers reach a kernel
# adapter at the configured address. Then uhid_mcp2221 plays an MCP2221 with a backpack and a
# display for the kernel's own hid-mcp2221 driver, and the library writes "Hello" through it.
# Usage: run_guest_check.sh <work folder> <guest_check> <i2c port library> <uhid_mcp2221>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
cd "$1"
source "$here/../../support/qemu/guest.sh"

guest_root "$here/init" "$2=guest_check" "$3=drv/PORT.DLL" "$4=uhid_mcp2221"
boot_guest

bus=$(sed -n 's/^stub bus: //p' console-lines.txt)
expect "open LPT1: 0"
expect "status: 2F"
expect "close: 0"
expect "lumivex i2c: /dev/i2c-$bus: no device answers at address 0x3F (i2cdetect -y $bus lists the addresses that do)"
expect "Orvo_LPT-Port-Modul: Err3 - Can't open LPT2!"
expect "open LPT2: 3"
bridge_bus=$(sed -n 's/^bridge bus: //p' console-lines.txt)
expect_kernel "mcp2221 0003:04D8:00DD\.0001: USB HID v1\.11 Device \[MCP2221 model\] on "
expect_kernel "i2c i2c-$bridge_bus: adapter \[MCP2221 usb-i2c bridge\] registered"
expect_kernel "i2c_dev: adapter \[MCP2221 usb-i2c bridge\] registered as minor $bridge_bus"
# This kernel's hid-mcp2221 takes GET GPIO's value for the direction and the direction for the
# value (kernel bug 216736, fixed in later kernels): a chip answering as its datasheet says shows
# its input at power-on as 1, and the output then driven high as an input at 0.
expect "GP0: in 1"
expect "GP0: in 0"
expect "20: -- -- -- -- -- -- -- 27"
expect "open LPT1 on the bridge: 0"
expect 'display'"'"'s first line: "Hello           "'
expect "guest check ended"
end_check
kernel_messages
echo "guest check passed: i2c on i2c-stub, bus /dev/i2c-$bus, and on hid-mcp2221, bus /dev/i2c-$bridge_bus"
