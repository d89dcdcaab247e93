#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test in the default (g++) and the
# sanitizer (clang++ with ASan and UBSan) build. Warnings are errors in both.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-dependencies.sh $(cat scripts/build-packages.txt) \
    clang libclang-rt-14-dev clang-format libgtest-dev libgmock-dev

for preset in default sanitize; do
    echo "=== $preset build"
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
