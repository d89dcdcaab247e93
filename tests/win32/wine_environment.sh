# Sourced with win32|win64 and a prefix folder: exports WINE (the loader to start programs
# with) and the Wine settings every Windows test and screenshot uses.
case "$1" in
win32) WINE=wine ;;
# Called directly: Debian's wine wrapper would take the 32-bit loader whenever it is installed.
win64) WINE=/usr/lib/wine/wine64 ;;
*)
    echo "wine_environment.sh: the architecture is win32 or win64, not '$1'" >&2
    return 2
    ;;
esac
export WINE WINEARCH=$1 WINEPREFIX=$2 WINEDEBUG=-all
# Nothing here needs .NET or a browser engine: no offer to install Mono or Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
