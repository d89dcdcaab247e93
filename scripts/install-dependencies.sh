#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages named on the command line that are missing.
# A name with an architecture (wine32:i386) adds that architecture to dpkg when it lacks it.
# As root it installs directly; as anyone else through sudo, which asks for your password.
# Without sudo it prints the one command to run as root and exits with status 1.
set -euo pipefail

missing=()
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

new_architectures=()
for package in "${missing[@]}"; do
    case "$package" in
    *:*)
        architecture=${package#*:}
        if [ "$architecture" != "$(dpkg --print-architecture)" ] &&
            ! dpkg --print-foreign-architectures | grep -qx "$architecture" &&
            [[ " ${new_architectures[*]} " != *" $architecture "* ]]; then
            new_architectures+=("$architecture")
        fi
        ;;
    esac
done

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    command_line="apt-get install --no-install-recommends ${missing[*]}"
    for architecture in "${new_architectures[@]}"; do
        command_line="dpkg --add-architecture $architecture && apt-get update && $command_line"
    done
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Installing them needs root, and sudo is not available. Run this as root, then" \
        "run this command again:" >&2
    echo "    $command_line" >&2
    exit 1
fi

for architecture in "${new_architectures[@]}"; do
    echo "Adding the $architecture architecture${as_root:+ (through sudo)}"
    "${as_root[@]}" dpkg --add-architecture "$architecture"
done
echo "Installing: ${missing[*]}${as_root:+ (through sudo)}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=900 update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends --no-remove \
    "${missing[@]}"
