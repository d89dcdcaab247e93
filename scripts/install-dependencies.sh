#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages named on the command line that are missing.
# A name with an architecture (wine32:i386) adds that architecture to dpkg when it lacks it.
set -euo pipefail

missing=()
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

for package in "${missing[@]}"; do
    case "$package" in
    *:*)
        architecture=${package#*:}
        if [ "$architecture" != "$(dpkg --print-architecture)" ] &&
            ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
            echo "Adding the $architecture architecture"
            dpkg --add-architecture "$architecture"
        fi
        ;;
    esac
done

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=900 update -qq
apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends --no-remove \
    "${missing[@]}"
