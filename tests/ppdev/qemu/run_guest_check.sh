#!/usr/bin/env bash
# Boots Debian's kernel under QEMU with an emulated parallel port at 0x378, loads parport_pc
# and ppdev, and runs guest_check with the ppdev port library as drv/PORT.DLL; then checks
# what the guest printed and what the port put out.
# Usage: run_guest_check.sh <work folder> <guest_check> <ppdev port library>
set -euo pipefail
work=$1
guest_check=$2
library=$3
mkdir -p "$work"
cd "$work"

# The kernel of Debian's current linux-image-amd64 with the three modules, downloaded once and
# kept for every later run and build folder. A registry that does not answer fails the check
# at once with a reason instead of hanging it.
kernel=${LUMIVEX_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/lumivex}/qemu-kernel
apt_get() { apt-get -qq -o Acquire::http::Timeout=30 -o Acquire::Retries=1 "$@"; }
kernel_release() {
    apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/.*Depends: linux-image-//p' | head -1
}
download_kernel() {
    local release
    release=$(kernel_release)
    rm -rf download && mkdir -p download
    # A package list older than the archive names a kernel that is gone, and a missing list
    # names none: refresh it and ask again.
    if [ -z "$release" ] || ! (cd download && apt_get download "linux-image-$release" >/dev/null 2>&1); then
        apt_get update || true
        release=$(kernel_release)
        if [ -z "$release" ] || ! (cd download && apt_get download "linux-image-$release" >/dev/null); then
            echo "FAIL: could not download Debian's kernel package (linux-image-${release:-?})" \
                "for the QEMU guest; the check needs Debian's package archive once" >&2
            exit 1
        fi
    fi
    dpkg-deb -x download/*.deb download/root
    rm -rf "$kernel" && mkdir -p "$kernel"
    cp download/root/boot/vmlinuz-* "$kernel/vmlinuz"
    for module in parport/parport.ko parport/parport_pc.ko char/ppdev.ko; do
        cp "download/root/lib/modules/$release/kernel/drivers/$module" "$kernel/"
    done
    rm -rf download
    touch "$kernel/complete"
}
[ -f "$kernel/complete" ] || download_kernel

# The guest's root: busybox, the modules, the check with its libraries, and the run folder.
rm -rf root && mkdir -p root/bin root/modules root/run-folder/drv
cp /bin/busybox root/bin/
cp "$kernel"/*.ko root/modules/
cp "$guest_check" root/run-folder/guest_check
cp "$library" root/run-folder/drv/PORT.DLL
for file in "$guest_check" "$library"; do
    ldd "$file" | grep -o '/[^ ]*' | while read -r shared; do
        mkdir -p "root$(dirname "$shared")"
        cp -L "$shared" "root$shared"
    done
done
cp "$(dirname "$0")/init" root/init
chmod +x root/init
(cd root && find . | cpio -o -H newc --quiet | gzip -1) > initramfs.gz

rm -f console.txt parallel.out
# Emulated, not accelerated: nested KVM can stall a guest for minutes.
timeout 300 qemu-system-x86_64 -M pc -m 256 -nographic -no-reboot -accel tcg \
    -kernel "$kernel/vmlinuz" -initrd initramfs.gz \
    -append "console=ttyS0 panic=-1 quiet" \
    -parallel file:parallel.out -monitor none -serial stdio </dev/null >console.txt 2>&1 || true
# The firmware's terminal codes may share a line with the first output.
tr -d '\r' <console.txt | sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\x1bc//g' >console-lines.txt

failed=0
expect() {
    if ! grep -qxF "$1" console-lines.txt; then
        echo "missing in the guest's output: $1"
        failed=1
    fi
}
expect "open LPT1: 0"
expect "data: 58"
expect "status: D8"
expect "control with direction in: 2B"
expect "control with direction out: 0B"
expect "close: 0"
expect "lumivex ppdev: /dev/parport1: no such device; load the kernel modules parport_pc and ppdev (modprobe parport_pc ppdev)"
expect "notice: Err3 - Can't open LPT2!"
expect "open LPT2: 3"
expect "guest check ended"
if [ "$(cat parallel.out 2>/dev/null)" != "LUMIVEX" ]; then
    echo "the emulated port put out \"$(cat parallel.out 2>/dev/null)\", not \"LUMIVEX\""
    failed=1
fi
if [ "$failed" != 0 ]; then
    echo "--- guest console"
    tail -40 console-lines.txt
    exit 1
fi
echo "guest check passed: ppdev on parport_pc, strobed bytes: $(cat parallel.out)"
