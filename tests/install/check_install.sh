#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the layout: the run folder with the program
# and the help page, the launcher, the menu entry and its icons. Then runs the installed launcher,
# through a symbolic link, against a stand-in program to see that it starts the program from the
# run folder and hands on its arguments.
# Usage: check_install.sh <build dir> <source dir> <scratch dir>
set -euo pipefail
build=$1 source=$2 scratch=$3
prefix=$scratch/prefix
rm -rf "$scratch"
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_file() { [ -f "$prefix/$1" ] || fail "$1 is not installed"; }
expect_same() { cmp -s "$1" "$prefix/$2" || fail "$2 differs from $1"; }

for executable in bin/lumivex lib/lumivex/lumivex; do
    [ -x "$prefix/$executable" ] || fail "$executable is not installed as a program"
done
expect_same "$source/HELP/overview.htm" lib/lumivex/HELP/overview.htm
expect_same "$source/packaging/lumivex.desktop" share/applications/lumivex.desktop
expect_same "$source/resources/icons/lumivex-16.png" share/icons/hicolor/16x16/apps/lumivex.png
expect_same "$source/resources/icons/lumivex-32.png" share/icons/hicolor/32x32/apps/lumivex.png
expect_same "$source/resources/icons/lumivex.svg" share/icons/hicolor/scalable/apps/lumivex.svg
expect_same "$source/packaging/copyright" share/doc/lumivex/copyright
# Whatever the run folder holds is installed, the port library too once one is built.
while read -r staged; do
    expect_file "lib/lumivex/${staged#./}"
done < <(cd "$build/stage" && find . -type f)

# The launcher with a stand-in program that reports where it runs and what it was given.
stand_in=$scratch/stand-in
mkdir -p "$stand_in/bin" "$stand_in/lib/lumivex"
cp "$prefix/bin/lumivex" "$stand_in/bin/lumivex"
printf '#!/bin/sh\necho "$(pwd -P) $*"\n' >"$stand_in/lib/lumivex/lumivex"
chmod +x "$stand_in/lib/lumivex/lumivex"
ln -s "$stand_in/bin/lumivex" "$scratch/lumivex-link"
started=$(cd / && "$scratch/lumivex-link" -platform offscreen)
expected="$(cd "$stand_in/lib/lumivex" && pwd -P) -platform offscreen"
[ "$started" = "$expected" ] || fail "the launcher started '$started', expected '$expected'"

[ "$failures" -eq 0 ] && echo "installed layout and launcher: all checks passed"
exit "$failures"
