#!/bin/sh
# Maps Q: of the test prefix to a folder and marks it as a CD-ROM drive in
# Wine's drive settings, then waits for the Wine server to end, so that the
# next Wine program's mount manager reads the marking. Runs on Linux.
set -eu
folder=$1
prefix=${WINEPREFIX:-${VARNOK_WINEPREFIX:-$HOME/.wine-varnok}}
export WINEPREFIX="$prefix" WINEDEBUG=-all
mkdir -p "$folder"
"${WINE:-/usr/lib/wine/wine64}" reg add 'HKLM\Software\Wine\Drives' /v 'q:' /d cdrom /f >/dev/null
ln -sfn "$folder" "$prefix/dosdevices/q:"
"${WINESERVER:-/usr/lib/wine/wineserver}" -w
