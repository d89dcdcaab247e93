#!/usr/bin/env bash
# Builds the Debian package from the run build, installs it on this machine, starts the installed
# program under Xvfb and drives it with its keys, then removes the package again. Needs root.
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

for file in /usr/bin/lumivex /usr/lib/lumivex/lumivex /usr/lib/lumivex/HELP/overview.htm \
    /usr/share/applications/lumivex.desktop /usr/share/icons/hicolor/16x16/apps/lumivex.png \
    /usr/share/icons/hicolor/32x32/apps/lumivex.png \
    /usr/share/icons/hicolor/scalable/apps/lumivex.svg /usr/share/doc/lumivex/copyright; do
    dpkg -S "$file" >/dev/null
done
echo "installed: $(dpkg-query -W -f='${Package} ${Version}' lumivex)"

xvfb-run -a -s "-screen 0 1024x768x24" bash tests/package/drive_installed.sh /usr/lib/lumivex

trap - EXIT
remove_package
if dpkg-query -W -f='${Status}' lumivex 2>/dev/null | grep -q installed || [ -e /usr/lib/lumivex ]; then
    echo "FAIL: lumivex is still installed" >&2
    exit 1
fi
echo "package: built, installed, started, driven and removed"
