#!/bin/bash
# A screenshot of the uninstaller's UNINSTALL dialog over the demo game laid
# out as an install leaves it, taken under a private Xvfb.
#
#   scripts/screenshot-uninstall.sh [SCREENSHOT.png]   (default out/uninstall-window.png)
#
# Needs the win64 build (VARNOK_BUILD, default build/win64: UnInst.exe and
# varnok_install_tool) and the native varnok-pack (VARNOK_NATIVE_BUILD, default
# build/native). The scratch install is then removed through the dialog's OK.
# Prints the path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/${VARNOK_BUILD:-build/win64}
pack=$root/${VARNOK_NATIVE_BUILD:-build/native}/tools/varnok-pack/varnok-pack
shot=$(realpath -m "${1:-out/uninstall-window.png}")
source scripts/install-shot.sh
shot_require screenshot-uninstall "$pack" "$build/UnInst.exe"

work=$(mktemp -d)
shot_session_start "$build"
folder="$WINEPREFIX/drive_c/VarnokDemo/HoshifuruOka"
trap 'wine_session_stop; rm -rf "$work" "$folder"' EXIT

cp -r demo/game "$work/game"
"$pack" pack --uninstaller "$build/UnInst.exe" -o "$work/instdat.arc" "$work/game" >/dev/null 2>&1
rm -rf "$folder"
"$pack" extract "$work/instdat.arc" "$folder" >/dev/null

uninstall_shot "$build" 'C:\VarnokDemo\HoshifuruOka' "$work/shots" >/dev/null
mkdir -p "$(dirname "$shot")"
cp "$work/shots/7-uninstall.png" "$shot"
echo "$shot"
