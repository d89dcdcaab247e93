#!/bin/sh
# Starts the program of the run folder ../lib/lumivex from this script (symbolic links resolved),
# which finds drv/ and HELP/ beside itself, in the current folder, which stays the user's: the
# run folder is not theirs to write in. The bench window opens beside the dialog, and closes
# with it, when the port library chosen (by the arguments or the user's setting) is the
# simulated port; the program itself says what is wrong with arguments it cannot take.
run_folder="$(dirname "$(readlink -f "$0")")/../lib/lumivex"
if [ ! -x "$run_folder/lumivex-bench" ] ||
    [ "$("$run_folder/lumivex" --chosen-port "$@" 2>/dev/null)" != sim ]; then
    exec "$run_folder/lumivex" "$@"
fi
"$run_folder/lumivex-bench" &
bench=$!
"$run_folder/lumivex" "$@"
status=$?
kill "$bench" 2>/dev/null
exit "$status"
