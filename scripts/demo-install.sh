#!/bin/bash
# The demo's whole install and uninstall, photographed: under the host's Wine
# for the win64 build, or inside scripts/vm32.sh for the shipped i686 one.
#
#   scripts/demo-install.sh BUILD INSTALLER SHOTDIR
#
# BUILD holds varnok_install_tool.exe (and the Wine prefix, outside the
# machine). Installs INSTALLER to C:\Games\HoshifuruOka through every window,
# lists what it left, uninstalls it and checks that the folder, the links and
# the registry values are gone.
set -euo pipefail
build=$1 installer=$2 shots=$3
source "$(dirname "$0")/install-shot.sh"
shot_session_start "$build"
trap wine_session_stop EXIT
game=$WINEPREFIX/drive_c/Games/HoshifuruOka
links=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
    "$WINEPREFIX/drive_c/users/Public/Desktop")
rm -rf "$game"
status=0
install_shot "$build" "$installer" 'C:\Games\HoshifuruOka' "$shots" || status=$?
echo "the installer ended with exit code $status"
echo "installed files:"
(cd "$game" && find . -type f | sort)
echo "links:"
find "${links[@]}" -iname '*.lnk' -newer "$installer" 2>/dev/null | sed "s|$WINEPREFIX/||"
[ "$status" = 0 ]

echo "=== uninstall it through the UNINSTALL dialog"
uninstall_shot "$build" 'C:\Games\HoshifuruOka' "$shots"
# The finisher that deletes UnInst.exe itself runs on after the program.
for _ in $(seq 100); do [ -e "$game" ] || break; sleep 0.2; done
left=$(find "$game" "${links[@]}" -type f -newer "$installer" 2>/dev/null || true)
if [ -e "$game" ] || [ -n "$left" ]; then
    echo "demo: the uninstall left behind:" >&2
    echo "${left:-$game}" >&2
    exit 1
fi
if "$WINE64" reg query 'HKCU\Software\VarnokDemo\HoshifuruOka' >/dev/null 2>&1; then
    echo "demo: the uninstall left HKCU\Software\VarnokDemo\HoshifuruOka" >&2
    exit 1
fi
echo "uninstalled: the install folder, its links and its registry values are gone"
