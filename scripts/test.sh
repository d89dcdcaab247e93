#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in the default (g++) and the
# sanitizer (clang++ with ASan and UBSan) build. Warnings are errors in both. Last, builds the
# Debian package, installs it here, drives the installed program under Xvfb and removes it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh $(cat scripts/build-packages.txt) \
    clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev \
    chromium desktop-file-utils dpkg-dev file xvfb xauth xdotool \
    qemu-system-x86 busybox-static cpio
# The help page check takes its browser driver from the npm registry.
command -v npm >/dev/null || bash scripts/install-dependencies.sh nodejs npm

for preset in default sanitize; do
    echo "=== $preset build"
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done

echo "=== Debian package"
bash scripts/test-package.sh
