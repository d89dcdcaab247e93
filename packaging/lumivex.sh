#!/bin/sh
# Lumivex finds drv/PORT.DLL and HELP/overview.htm in its current directory, so it starts from
# its run folder, which lies at ../lib/lumivex from this script (symbolic links resolved).
cd "$(dirname "$(readlink -f "$0")")/../lib/lumivex" && exec ./lumivex "$@"
