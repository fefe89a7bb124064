#!/bin/bash
# Screenshots of the launcher in each of its column layouts, made from the
# demo game under a private Xvfb, for the README:
#   menu-basic.png    exit and install (no readme set)
#   menu-readme.png   with the readme button (the demo as shipped)
#   menu-directx.png  with the DirectX button (a DirectX folder beside the
#                     installer) and the readme
#
#   scripts/screenshot-menu.sh [OUTDIR]     (default docs/screenshots)
#
# Needs the win64 build (VARNOK_BUILD, default build/win64) and the native
# varnok-pack (VARNOK_NATIVE_BUILD, default build/native).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/${VARNOK_BUILD:-build/win64}
pack=$root/${VARNOK_NATIVE_BUILD:-build/native}/tools/varnok-pack/varnok-pack
stub=$build/Pelladrover.exe
outdir=$(realpath -m "${1:-docs/screenshots}")
source scripts/launcher-shot.sh
shot_require screenshot-menu "$pack" "$stub"

work=$(mktemp -d)
unset DISPLAY
wine_session_start "$build"
trap 'wine_session_stop; rm -rf "$work"' EXIT

layout() {  # NAME [DIRECTX]: packs $work/game into $work/NAME/setup.exe and photographs it
    mkdir -p "$work/$1"
    # The demo game without its two programs: pack warns about them, rightly,
    # so its output is shown only when it fails.
    if ! "$pack" pack --stub "$stub" -o "$work/$1/setup.exe" "$work/game" >"$work/pack.log" 2>&1; then
        cat "$work/pack.log" >&2
        exit 1
    fi
    if [ "${2:-}" = directx ]; then
        mkdir -p "$work/$1/DirectX"
    fi
    launcher_shot "$build" "$work/$1/setup.exe" "$outdir/menu-$1.png"
}

cp -r demo/game "$work/game"
layout readme
layout directx directx
# The demo without its readme label.
grep -av '^INSTREADME' demo/game/install.env > "$work/game/install.env"
layout basic
echo "$outdir"
