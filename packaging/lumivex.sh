#!/bin/sh
# Lumivex finds drv/PORT.DLL and HELP/overview.htm beside itself; it is started from its run
# folder, ../lib/lumivex from this script (symbolic links resolved), where the bench writes its
# recordings. The bench window of the simulated port, when installed, opens beside the dialog
# and closes with it.
cd "$(dirname "$(readlink -f "$0")")/../lib/lumivex" || exit 1
[ -x ./lumivex-bench ] || exec ./lumivex "$@"
./lumivex-bench &
bench=$!
./lumivex "$@"
status=$?
kill "$bench" 2>/dev/null
exit "$status"
