#!/usr/bin/env bash
# Says which Wine the Windows tests run under on this host: prints i686 (the 32-bit release
# build under 32-bit Wine) or x86_64 (the same sources built for 64-bit Windows, under 64-bit
# Wine), and on standard error one line saying why. Some hosts cannot run 32-bit x86 programs
# at all, so this runs one (the 32-bit dynamic loader, from libc6:i386) rather than guessing.
# LUMIVEX_WINDOWS_TEST_ARCH=i686 or x86_64 decides instead.
set -euo pipefail

case "${LUMIVEX_WINDOWS_TEST_ARCH:-}" in
i686 | x86_64)
    echo "Windows tests: $LUMIVEX_WINDOWS_TEST_ARCH, as LUMIVEX_WINDOWS_TEST_ARCH says" >&2
    echo "$LUMIVEX_WINDOWS_TEST_ARCH"
    ;;
"")
    if probe=$(/lib/ld-linux.so.2 --version 2>&1 | head -1) && [ -n "$probe" ]; then
        echo "Windows tests: i686 under 32-bit Wine (this host runs 32-bit x86 programs)" >&2
        echo i686
    else
        echo "Windows tests: x86_64 under 64-bit Wine (this host cannot run 32-bit x86" \
            "programs: /lib/ld-linux.so.2 --version said \"${probe:-nothing}\")" >&2
        echo x86_64
    fi
    ;;
*)
    echo "LUMIVEX_WINDOWS_TEST_ARCH is i686 or x86_64, not '$LUMIVEX_WINDOWS_TEST_ARCH'" >&2
    exit 2
    ;;
esac
