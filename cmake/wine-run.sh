#!/bin/sh
# Runs a Windows program under 64-bit Wine with a Japanese locale (ANSI code
# page 932), as CTest's cross-compiling emulator. Starts Xvfb when there is
# no display. WINEPREFIX defaults to a prefix private to the build tree.
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
if [ -z "$WINEPREFIX" ]; then
    WINEPREFIX="${VARNOK_WINEPREFIX:-$HOME/.wine-varnok}"
    export WINEPREFIX
fi
if [ -z "$DISPLAY" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
# The prefix is made and prepared like the scripts' ones (quick when done).
WINE=/usr/lib/wine/wine64 "$(dirname "$0")/../scripts/wine-prefix-setup.sh" || exit 1
exec /usr/lib/wine/wine64 "$@"
