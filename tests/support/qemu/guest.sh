# What the QEMU guest checks share, sourced by each: Debian's kernel with the modules the checks
# load, downloaded once into a cache; the guest's root (busybox, the modules, the check and its
# run folder with their libraries); booting it; and comparing its console with what is expected.
# The caller has changed into its work folder.

# Every module any check loads, so that one download serves them all.
guest_modules="drivers/parport/parport.ko drivers/parport/parport_pc.ko drivers/char/ppdev.ko
drivers/i2c/i2c-dev.ko drivers/i2c/i2c-stub.ko fs/configfs/configfs.ko drivers/hid/hid.ko
drivers/hid/uhid.ko drivers/hid/hid-mcp2221.ko"

# The kernel of Debian's current linux-image-amd64 with the modules, downloaded once and kept for
# every later run and build folder. A registry that does not answer fails the check at once with
# a reason instead of hanging it.
kernel=${LUMIVEX_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/lumivex}/qemu-kernel
apt_get() { apt-get -qq -o Acquire::http::Timeout=30 -o Acquire::Retries=1 "$@"; }
# The release Debian's current kernel package depends on; empty when the package list has none.
kernel_release() {
    apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/.*Depends: linux-image-//p' |
        head -1 || true
}
download_kernel() {
    local release module
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
    for module in $guest_modules; do
        cp "download/root/lib/modules/$release/kernel/$module" "$kernel/"
    done
    # What modules built here for the guest must match.
    echo "$release" >"$kernel/release"
    dpkg-deb -f download/*.deb Version >"$kernel/version"
    rm -rf download
    # The list of modules marks the download complete; a list that grew asks for a new one.
    echo "$guest_modules" >"$kernel/complete"
}

# The guest's kernel and modules in $kernel, downloaded unless they are there and Debian's current
# kernel (as far as the package list knows), which the headers for the modules built here follow.
guest_kernel() {
    local current
    current=$(kernel_release)
    if [ "$(cat "$kernel/complete" 2>/dev/null)" != "$guest_modules" ] ||
        { [ -n "$current" ] && [ "$current" != "$(cat "$kernel/release")" ]; }; then
        download_kernel
    fi
}

# guest_root <init> <file>=<path in the run folder>...: the guest's initramfs, with busybox as
# its shell, the modules in /modules, and the files in /run-folder with the libraries they load.
guest_root() {
    local init=$1 file
    shift
    guest_kernel
    rm -rf root && mkdir -p root/bin root/modules root/run-folder
    cp /bin/busybox root/bin/
    cp "$kernel"/*.ko root/modules/
    for file in "$@"; do
        mkdir -p "$(dirname "root/run-folder/${file#*=}")"
        cp "${file%%=*}" "root/run-folder/${file#*=}"
        ldd "${file%%=*}" | grep -o '/[^ ]*' | while read -r shared; do
            mkdir -p "root$(dirname "$shared")"
            cp -L "$shared" "root$shared"
        done
    done
    cp "$init" root/init
    chmod +x root/init
    (cd root && find . | cpio -o -H newc --quiet | gzip -1) >initramfs.gz
}

# boot_guest [QEMU options]: runs the guest to its end; its console in console-lines.txt.
boot_guest() {
    rm -f console.txt
    # Emulated, not accelerated: nested KVM can stall a guest for minutes.
    timeout 300 qemu-system-x86_64 -M pc -m 256 -nographic -no-reboot -accel tcg \
        -kernel "$kernel/vmlinuz" -initrd initramfs.gz \
        -append "console=ttyS0 panic=-1 quiet" \
        -monitor none -serial stdio "$@" </dev/null >console.txt 2>&1 || true
    # The firmware's terminal codes may share a line with the first output.
    tr -d '\r' <console.txt | sed -e 's/\x1b\[[0-9;?]*[A-Za-z]//g' -e 's/\x1bc//g' >console-lines.txt
}

failed=0
expect() {
    if ! grep -qxF "$1" console-lines.txt; then
        echo "missing in the guest's output: $1"
        failed=1
    fi
}

# expect_kernel <extended regular expression>: a message of the kernel's on the guest's console.
expect_kernel() {
    if ! grep -qE "^\[ *[0-9]+\.[0-9]+\] $1\$" console-lines.txt; then
        echo "missing in the guest's kernel messages: $1"
        failed=1
    fi
}

# The kernel's messages the guest put on its console, for the test's log.
kernel_messages() {
    grep -E '^\[ *[0-9]+\.[0-9]+\] ' console-lines.txt | sed 's/^/kernel: /' || true
}

# Fails the check with the end of the guest's console when something expected was missing.
end_check() {
    if [ "$failed" != 0 ]; then
        echo "--- guest console"
        tail -40 console-lines.txt
        exit 1
    fi
}
