#!/bin/bash
# A screenshot of the uninstaller's UNINSTALL dialog over the demo game laid
# out as an install leaves it, taken under a private Xvfb.
#
#   scripts/screenshot-uninstall.sh [SCREENSHOT.png]   (default out/uninstall-window.png)
#
# Needs the win64 build (VARNOK_BUILD, default build/win64: UnInst.exe) and the
# native varnok-pack (VARNOK_NATIVE_BUILD, default build/native). Nothing is
# removed: the dialog is photographed and the program ended. Prints the path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/${VARNOK_BUILD:-build/win64}
pack=$root/${VARNOK_NATIVE_BUILD:-build/native}/tools/varnok-pack/varnok-pack
shot=$(realpath -m "${1:-out/uninstall-window.png}")
for f in "$pack" "$build/UnInst.exe"; do
    [ -f "$f" ] || { echo "screenshot-uninstall: $f is missing: build the native and win64 presets first" >&2; exit 1; }
done

work=$(mktemp -d)
source scripts/shot-session.sh
shot_session_start "$build"
folder="$WINEPREFIX/drive_c/VarnokDemo/HoshifuruOka"
trap 'wine_session_stop; rm -rf "$work" "$folder"' EXIT

cp -r demo/game "$work/game"
"$pack" pack --uninstaller "$build/UnInst.exe" -o "$work/instdat.arc" "$work/game" >/dev/null 2>&1
rm -rf "$folder"
"$pack" extract "$work/instdat.arc" "$folder" >/dev/null

"$WINE64" 'C:\VarnokDemo\HoshifuruOka\UnInst.exe' &
pid=$!
sleep "${VARNOK_SHOT_DELAY:-5}"
shot_take "$shot"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "$shot"
