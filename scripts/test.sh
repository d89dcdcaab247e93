#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in the default (g++) build, the
# 32-bit Windows cross build (MinGW-w64, tests under Wine) and the sanitizer (clang++ with ASan
# and UBSan) build; warnings are errors in all three. Between them, screenshots of the Windows
# and the Qt dialog go to build/win32/screenshots/, and the Debian package is built, installed
# here, driven under Xvfb and removed again.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh $(cat scripts/build-packages.txt) \
    clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev \
    chromium desktop-file-utils dpkg-dev file xvfb xauth xdotool \
    qemu-system-x86 busybox-static cpio \
    $(cat scripts/win32-packages.txt) imagemagick qt6-qpa-plugins x11-utils
# The help page check takes its browser driver from the npm registry.
command -v npm >/dev/null || bash scripts/install-dependencies.sh nodejs npm

build_and_test() {
    echo "=== $1 build"
    cmake --preset "$1"
    cmake --build --preset "$1"
    ctest --preset "$1"
}

build_and_test default
build_and_test win32
echo "=== screenshots"
bash scripts/screenshots-win32.sh
echo "=== Debian package"
bash scripts/test-package.sh
build_and_test sanitize
