#!/bin/bash
# The main job on the bundled demo game: installs what is missing, builds
# varnok-pack, the installer, the uninstaller and the demo's game program,
# packs the demo game
# into out/demo/setup.exe (the shipped 32-bit installer), lists and verifies
# it, then starts the same game packed behind the 64-bit build of the
# installer under Wine (this machine's Wine runs 64-bit programs only) and
# installs it through every window under Xvfb: each window is photographed
# into out/demo/ (the launcher, SETUP, the confirmation, MAKESHORTCUT, the
# end dialog, and the copy window in the middle of a copy), then the
# installed files and links are listed; last it uninstalls the game through
# the UNINSTALL dialog (photographed too) and checks that the install
# folder, the links and the registry values are gone.
#
#   scripts/demo.sh
#
# VARNOK_NATIVE_BUILD, VARNOK_WIN32_BUILD and VARNOK_BUILD (win64) choose
# other build folders (default those of the presets).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
native=${VARNOK_NATIVE_BUILD:-build/native}
win32=${VARNOK_WIN32_BUILD:-build/win32}
win64=${VARNOK_BUILD:-build/win64}
jobs=$(nproc)
out=out/demo

scripts/install-deps.sh
build() {  # preset folder targets...
    local preset=$1 dir=$2
    shift 2
    echo "=== build $* ($dir)"
    cmake --preset "$preset" -B "$dir" >/dev/null
    cmake --build "$dir" -j "$jobs" --target "$@"
}
build native "$native" varnok-pack
build win32 "$win32" Pelladrover UnInst varnok_demo
build win64 "$win64" Pelladrover UnInst varnok_menu_show varnok_install_tool varnok_copy_window_show
pack=$native/tools/varnok-pack/varnok-pack

# The game folder as shipped: the data of demo/game and its program; pack
# adds the UnInst.exe built beside each stub.
rm -rf "$out"
mkdir -p "$out"
cp -r demo/game "$out/game"
cp "$win32/demo/programs/varnok.exe" "$out/game/"

echo "=== pack the demo game"
"$pack" pack --stub "$win32/Pelladrover.exe" -o "$out/setup.exe" "$out/game"
echo "=== list $out/setup.exe"
"$pack" list "$out/setup.exe"
echo "=== verify $out/setup.exe"
"$pack" verify "$out/setup.exe"

echo "=== install it under Wine"
"$pack" pack --stub "$win64/Pelladrover.exe" -o "$out/setup-x64.exe" "$out/game" >/dev/null
echo "what the install will write (varnok-pack env plan):"
"$pack" env plan "$out/game/install.env" --typed 'C:\Games\HoshifuruOka'
(
    source scripts/install-shot.sh
    shot_session_start "$root/$win64"
    trap wine_session_stop EXIT
    game=$WINEPREFIX/drive_c/Games/HoshifuruOka
    links=("$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
        "$WINEPREFIX/drive_c/users/Public/Desktop")
    rm -rf "$game"
    status=0
    install_shot "$root/$win64" "$root/$out/setup-x64.exe" 'C:\Games\HoshifuruOka' "$root/$out" || status=$?
    echo "the installer ended with exit code $status"
    echo "installed files:"
    (cd "$game" && find . -type f | sort)
    echo "links:"
    find "${links[@]}" -iname '*.lnk' -newer "$root/$out/setup-x64.exe" 2>/dev/null | sed "s|$WINEPREFIX/||"
    [ "$status" = 0 ]

    echo "=== uninstall it through the UNINSTALL dialog"
    uninstall_shot "$root/$win64" 'C:\Games\HoshifuruOka' "$root/$out"
    # The finisher that deletes UnInst.exe itself runs on after the program.
    for _ in $(seq 100); do [ -e "$game" ] || break; sleep 0.2; done
    left=$(find "$game" "${links[@]}" -type f -newer "$root/$out/setup-x64.exe" 2>/dev/null || true)
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
)
VARNOK_BUILD=$win64 scripts/screenshot-copy.sh "$out/4-copy.png" >/dev/null
echo "screenshots:"
ls "$out"/*.png
