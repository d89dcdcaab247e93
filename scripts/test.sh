#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in the default (g++) build, the
# Windows cross builds (MinGW-w64, tests under Wine) and the sanitizer (clang++ with ASan and
# UBSan) build; warnings are errors in all of them. The 32-bit Windows release is built, packed
# and checked on every host; its scenarios run under 32-bit Wine where this host runs 32-bit
# programs, and otherwise on a 64-bit build of the same sources under 64-bit Wine. Between
# them, screenshots of the Windows and the Qt dialog go to build/<windows build>/screenshots/,
# and the Debian package is built, installed here, driven under Xvfb and removed again. The
# portable core, the Linux port libraries and their tests are cross-built for 64-bit and 32-bit
# ARM (Raspberry Pi OS arm64 and armhf) and their tests run under qemu-user. The Arduino sketch
# is built and run on a simulated board (simavr) against the serial port library, in the default
# and the sanitizer builds.
set -euo pipefail
cd "$(dirname "$0")/.."

# libc6:i386 brings the 32-bit loader that tells whether this host runs 32-bit programs.
bash scripts/install-dependencies.sh $(cat scripts/build-packages.txt) \
    clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev \
    chromium desktop-file-utils dpkg-dev file xvfb xauth xdotool \
    dbus at-spi2-core python3-dbus qemu-system-x86 busybox-static cpio \
    $(cat scripts/win32-packages.txt) imagemagick qt6-qpa-plugins x11-utils libc6:i386 \
    g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user make xz-utils \
    gcc-avr avr-libc arduino-core-avr libsimavr-dev pkg-config
# The QEMU guests run Debian's current kernel, which lacks gpio-sim: it is built for that kernel
# from its sources and headers.
guest_kernel=$(source tests/support/qemu/guest.sh && kernel_release)
bash scripts/install-dependencies.sh "linux-headers-$guest_kernel" \
    "linux-source-$(echo "$guest_kernel" | cut -d. -f1,2)"
# The help page check takes its browser driver from the npm registry.
command -v npm >/dev/null || bash scripts/install-dependencies.sh nodejs npm

windows_arch=$(bash scripts/windows-test-arch.sh)
case "$windows_arch" in
i686)
    bash scripts/install-dependencies.sh wine32:i386
    windows_tests=win32
    ;;
x86_64)
    bash scripts/install-dependencies.sh wine64 g++-mingw-w64-x86-64
    windows_tests=win64
    if ! /usr/lib/wine/wine64 --version >/dev/null 2>&1; then
        echo "FAIL: this host runs neither 32-bit x86 programs nor 64-bit Wine" \
            "(/usr/lib/wine/wine64 --version failed): the Windows tests cannot run here" >&2
        exit 1
    fi
    ;;
esac

build_and_test() {
    echo "=== $1 build"
    cmake --preset "$1" "${@:2}"
    cmake --build --preset "$1"
    ctest --preset "$1"
}

build_and_test default -DLUMIVEX_ARDUINO=ON
build_and_test arm64
build_and_test armhf
if [ "$windows_tests" = win32 ]; then
    build_and_test win32 -DLUMIVEX_WINE_TESTS=ON
else
    echo "=== win32 build: the release, packed and checked; its scenarios run on the win64 build"
    build_and_test win32 -DLUMIVEX_WINE_TESTS=OFF
    build_and_test win64
fi
echo "=== screenshots"
bash scripts/screenshots-win32.sh "$windows_tests"
echo "=== Debian package"
bash scripts/test-package.sh
build_and_test sanitize -DLUMIVEX_ARDUINO=ON
