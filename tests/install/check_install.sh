#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the layout: the run folder with the program,
# the bench, the help page, every port library (the simulated port as drv/PORT.DLL, each other
# in drv/<name>/ with its default configuration) and the Arduino sketch's sources, the launcher,
# the menu entry with an action for each library, and its icons. Files a run left in the stage
# are not installed. Then runs the installed launcher, through a symbolic link, against stand-in
# programs: it starts the program of the run folder in the current folder with its arguments,
# beside the bench only when the port chosen is the simulated one.
# Usage: check_install.sh <build dir> <source dir> <scratch dir>
set -euo pipefail
build=$1 source=$2 scratch=$3
prefix=$scratch/prefix
run=$prefix/lib/lumivex
rm -rf "$scratch"

# What runs from the stage leave there: a recording, a configuration where an older build put it,
# a .hex of the sketch.
strays=("$build/stage/lumivex-bench-20260101-000000.vcd" "$build/stage/drv/gpio.conf"
    "$build/stage/drv/i2c/lumivex-bench-20260101-000000.vcd"
    "$build/stage/firmware/arduino/lumivex/lumivex.hex")
trap 'rm -f "${strays[@]}"' EXIT
touch "${strays[@]}"
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_same() { cmp -s "$1" "$prefix/$2" || fail "$2 differs from $1"; }

for executable in bin/lumivex lib/lumivex/lumivex lib/lumivex/lumivex-bench; do
    [ -x "$prefix/$executable" ] || fail "$executable is not installed as a program"
done
expect_same "$source/HELP/overview.htm" lib/lumivex/HELP/overview.htm
expect_same "$source/packaging/lumivex.desktop" share/applications/lumivex.desktop
expect_same "$source/resources/icons/lumivex-16.png" share/icons/hicolor/16x16/apps/lumivex.png
expect_same "$source/resources/icons/lumivex-32.png" share/icons/hicolor/32x32/apps/lumivex.png
expect_same "$source/resources/icons/lumivex.svg" share/icons/hicolor/scalable/apps/lumivex.svg
expect_same "$source/packaging/copyright" share/doc/lumivex/copyright
expect_same "$build/drv/sim/lumivex_sim_port.so" lib/lumivex/drv/PORT.DLL
expected=(lumivex lumivex-bench HELP/overview.htm drv/PORT.DLL)
for name in ppdev gpio i2c mcp2221 serial; do
    expect_same "$build/drv/$name/lumivex_${name}_port.so" "lib/lumivex/drv/$name/PORT.DLL"
    expected+=("drv/$name/PORT.DLL")
    if [ -e "$source/drv/$name/$name.conf" ]; then
        expect_same "$source/drv/$name/$name.conf" "lib/lumivex/drv/$name/$name.conf"
        expected+=("drv/$name/$name.conf")
    fi
done
for file in "$source"/firmware/arduino/lumivex/*; do
    expect_same "$file" "lib/lumivex/${file#"$source/"}"
    expected+=("${file#"$source/"}")
done
installed=$(cd "$run" && find . -type f | sed 's|^\./||' | sort)
[ "$installed" = "$(printf '%s\n' "${expected[@]}" | sort)" ] ||
    fail "the run folder holds other files than expected:"$'\n'"$installed"
# The menu entry starts each library the run folder holds by its name.
for name in sim $(cd "$run/drv" && find . -mindepth 2 -name PORT.DLL | cut -d/ -f2); do
    grep -qx "Exec=lumivex --port=$name" "$prefix/share/applications/lumivex.desktop" ||
        fail "the menu entry has no action for the port library $name"
done

# Stand-ins: the program answers --chosen-port as the real one does (the name given by --port=,
# else sim; exit 2 for a name it does not know) and otherwise reports its process id, folder and
# arguments; the bench just waits to be ended.
stand_in=$scratch/stand-in
mkdir -p "$stand_in/bin" "$stand_in/lib/lumivex"
cp "$prefix/bin/lumivex" "$stand_in/bin/lumivex"
cat >"$stand_in/lib/lumivex/lumivex" <<'PROGRAM'
#!/bin/sh
if [ "$1" = --chosen-port ]; then
    case "$2" in
    --port=nonesuch) echo "lumivex: no port library named \"nonesuch\"" >&2 && exit 2 ;;
    --port=*) echo "${2#--port=}" ;;
    *) echo sim ;;
    esac
    exit 0
fi
echo "$$ $(pwd -P) $*"
PROGRAM
printf '#!/bin/sh\nexec sleep 60\n' >"$stand_in/lib/lumivex/lumivex-bench"
chmod +x "$stand_in/lib/lumivex/lumivex" "$stand_in/lib/lumivex/lumivex-bench"
ln -s "$stand_in/bin/lumivex" "$scratch/lumivex-link"

# Starts the launcher from / and checks what the program reported. The launcher replaces itself
# with the program (same process id) when no bench is started, and runs it as a child otherwise.
check_launcher() {
    local bench=$1 arguments=("${@:2}") output launcher program folder given
    output=$(cd / && sh -c 'echo $$; exec "$0" "$@"' "$scratch/lumivex-link" "${arguments[@]}")
    { read -r launcher; read -r program folder given; } <<<"$output"
    [ "$folder $given" = "/ ${arguments[*]}" ] ||
        fail "the launcher ran '$folder $given', expected '/ ${arguments[*]}'"
    if [ "$bench" = with-bench ] && [ "$program" = "$launcher" ]; then
        fail "no bench for '${arguments[*]}'"
    elif [ "$bench" = without-bench ] && [ "$program" != "$launcher" ]; then
        fail "a bench for '${arguments[*]}'"
    fi
}
check_launcher with-bench -platform offscreen
check_launcher with-bench --port=sim
check_launcher without-bench --port=gpio
check_launcher without-bench --port=nonesuch

[ "$failures" -eq 0 ] && echo "installed layout and launcher: all checks passed"
exit "$failures"
