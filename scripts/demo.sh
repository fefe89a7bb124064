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
#   scripts/demo.sh --i686   the shipped out/demo/setup.exe itself, installed and
#                            uninstalled under 32-bit Wine in scripts/vm32.sh's
#                            machine; screenshots in out/demo-i686/
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
i686=0
[ "${1:-}" = --i686 ] && i686=1

scripts/install-deps.sh
build() {  # preset folder targets...
    local preset=$1 dir=$2
    shift 2
    echo "=== build $* ($dir)"
    cmake --preset "$preset" -B "$dir" >/dev/null
    cmake --build "$dir" -j "$jobs" --target "$@"
}
build native "$native" varnok-pack
if [ $i686 = 1 ]; then
    build win32 "$win32" Pelladrover UnInst varnok_demo varnok_install_tool
else
    build win32 "$win32" Pelladrover UnInst varnok_demo
    build win64 "$win64" Pelladrover UnInst varnok_menu_show varnok_install_tool varnok_copy_window_show
fi
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

if [ $i686 = 1 ]; then
    echo "=== install it under 32-bit Wine in the emulated machine"
    rm -rf out/demo-i686
    scripts/vm32.sh run "$root" scripts/demo-install.sh "$root/$win32" "$root/$out/setup.exe" "$root/out/demo-i686"
    echo "screenshots:"
    ls out/demo-i686/*.png
    exit 0
fi
echo "=== install it under Wine"
"$pack" pack --stub "$win64/Pelladrover.exe" -o "$out/setup-x64.exe" "$out/game" >/dev/null
echo "what the install will write (varnok-pack env plan):"
"$pack" env plan "$out/game/install.env" --typed 'C:\Games\HoshifuruOka'
scripts/demo-install.sh "$root/$win64" "$root/$out/setup-x64.exe" "$root/$out"
VARNOK_BUILD=$win64 scripts/screenshot-copy.sh "$out/4-copy.png" >/dev/null
echo "screenshots:"
ls "$out"/*.png
