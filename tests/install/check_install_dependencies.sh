#!/usr/bin/env bash
# scripts/install-dependencies.sh as a user without root and without sudo, asked for a package
# that is missing: it must name the package, print the one command to run as root, and fail
# without having touched anything. Needs root, to become that user (skipped otherwise).
# Usage: check_install_dependencies.sh <source folder>
set -euo pipefail
[ "$(id -u)" -eq 0 ] || { echo "needs root to switch to an unprivileged user"; exit 77; }

# A PATH with what the script needs and no sudo, whatever this machine has; the script copied
# beside it, since the source folder may be closed to other users.
tools=$(mktemp -d)
trap 'rm -rf "$tools"' EXIT
cp "$1/scripts/install-dependencies.sh" "$tools/"
for tool in bash dpkg dpkg-query grep id env cat; do
    ln -s "$(command -v "$tool")" "$tools/$tool"
done
chmod -R a+rX "$tools"

status=0
output=$(cd / && setpriv --reuid=65534 --regid=65534 --clear-groups \
    env -i PATH="$tools" HOME=/nonexistent bash "$tools/install-dependencies.sh" bash lumivex-no-such-package 2>&1) ||
    status=$?

expected="Missing Debian packages: lumivex-no-such-package
Installing them needs root, and sudo is not available. Run this as root, then run this command again:
    apt-get install --no-install-recommends lumivex-no-such-package"
if [ "$status" != 1 ] || [ "$output" != "$expected" ]; then
    echo "FAIL: exit status $status (expected 1), output:"
    echo "$output"
    exit 1
fi
echo "install-dependencies.sh without root and sudo: exit 1 and the command to run as root"
