#!/usr/bin/env bash
# Builds the Debian package from the run build, installs it on this machine, starts the installed
# program under Xvfb as a normal user (nobody, in a home of its own) with each of its port
# libraries and drives it, checks that the run folder holds only what the package put there, then
# removes the package again. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset run
cmake --build --preset run
cpack --preset deb
deb=$(ls build/run/lumivex_*.deb)
echo "=== $deb"
dpkg-deb --field "$deb" Package Version Section Depends Recommends

export DEBIAN_FRONTEND=noninteractive
apt_get() { apt-get -o DPkg::Lock::Timeout=900 -qq "$@"; }
remove_package() { apt_get purge -y lumivex >/dev/null; }
trap remove_package EXIT
apt_get install -y --reinstall "./$deb" >/dev/null

for file in /usr/bin/lumivex /usr/lib/lumivex/lumivex /usr/lib/lumivex/lumivex-bench \
    /usr/lib/lumivex/HELP/overview.htm /usr/lib/lumivex/drv/PORT.DLL \
    /usr/lib/lumivex/drv/ppdev/PORT.DLL /usr/lib/lumivex/drv/ppdev/ppdev.conf \
    /usr/lib/lumivex/drv/gpio/PORT.DLL \
    /usr/lib/lumivex/drv/gpio/gpio.conf /usr/lib/lumivex/drv/i2c/PORT.DLL \
    /usr/lib/lumivex/drv/i2c/i2c.conf /usr/lib/lumivex/drv/mcp2221/PORT.DLL \
    /usr/lib/lumivex/drv/mcp2221/mcp2221.conf /usr/lib/lumivex/drv/serial/PORT.DLL \
    /usr/lib/lumivex/drv/serial/serial.conf /usr/share/applications/lumivex.desktop \
    /usr/share/icons/hicolor/16x16/apps/lumivex.png /usr/share/icons/hicolor/32x32/apps/lumivex.png \
    /usr/share/icons/hicolor/scalable/apps/lumivex.svg /usr/share/doc/lumivex/copyright \
    $(printf '/usr/lib/lumivex/%s ' firmware/arduino/lumivex/*); do
    dpkg -S "$file" >/dev/null
done
echo "installed: $(dpkg-query -W -f='${Package} ${Version}' lumivex)"

# The driver and its helper where the user can read them, and a home of the user's own.
user=nobody
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"; remove_package' EXIT
cp tests/package/drive_installed.sh tests/package/accessible.py "$scratch/"
mkdir "$scratch/home"
chown "$user:" "$scratch/home"
chmod 755 "$scratch"
runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="$scratch/home" LANG=C.UTF-8 \
    xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- \
    bash "$scratch/drive_installed.sh" "$scratch"

# Nothing was written into the run folder.
if [ "$(find /usr/lib/lumivex -type f | sort)" != "$(dpkg -L lumivex | grep '^/usr/lib/lumivex/' |
    while read -r path; do [ -f "$path" ] && echo "$path"; done | sort)" ]; then
    echo "FAIL: /usr/lib/lumivex holds files the package did not put there" >&2
    exit 1
fi

trap - EXIT
rm -rf "$scratch"
remove_package
if dpkg-query -W -f='${Status}' lumivex 2>/dev/null | grep -q installed || [ -e /usr/lib/lumivex ]; then
    echo "FAIL: lumivex is still installed" >&2
    exit 1
fi
echo "package: built, installed, started, driven and removed"
