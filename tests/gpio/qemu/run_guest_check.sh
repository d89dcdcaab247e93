#!/usr/bin/env bash
# Boots Debian's kernel under QEMU with gpio-sim built for it, configures its chips, and runs
# guest_check with the gpio port library as drv/PORT.DLL; then checks what the guest printed.
# Usage: run_guest_check.sh <work folder> <guest_check> <gpio port library>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
cd "$1"
source "$here/../../support/qemu/guest.sh"
source "$here/gpio_sim_module.sh"

guest_kernel
build_gpio_sim
guest_root "$here/init" "$2=guest_check" "$3=drv/PORT.DLL"
boot_guest

expect_kernel "gpio_stub_drv gpiochip0: registered GPIOs [0-9]+ to [0-9]+ on gpio-sim.0-node0"
expect "gpio-sim: gpio-sim.0 gpiochip0 gpiochip1"
expect "open LPT1: 0"
expect "LED test: FF 00 FF 00 AA 55 AA 55 01 02 04 08 10 20 40 80 40 20 10 08 04 02 01 03 07 0F 1F 3F 7F FF FF 00 FF 00"
expect "status: 57"
expect "close: 0"
expect 'lumivex gpio: /dev/gpiochip1: line 3 (d5) is held by "holder"'
expect "open LPT1 on a held line: 3"
expect "lumivex gpio: /dev/gpiochip1: d7 = 8 (line 16 of /run-folder/gpio.conf) is past the chip's 8 lines (0..7)"
expect "open LPT2 past the chip: 3"
expect "guest check ended"
end_check
kernel_messages
echo "guest check passed: gpio on gpio-sim"
