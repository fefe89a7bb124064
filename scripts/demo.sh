#!/bin/bash
# The main job on the bundled demo game: installs what is missing, builds
# varnok-pack and the installer, packs demo/ into out/demo/setup.exe, then
# lists and verifies it.
#
#   scripts/demo.sh
#
# VARNOK_NATIVE_BUILD and VARNOK_WIN32_BUILD choose other build folders
# (default build/native and build/win32, those of the presets).
set -euo pipefail
cd "$(dirname "$0")/.."
native=${VARNOK_NATIVE_BUILD:-build/native}
win32=${VARNOK_WIN32_BUILD:-build/win32}
jobs=$(nproc)
out=out/demo

scripts/install-deps.sh
echo "=== build varnok-pack ($native)"
cmake --preset native -B "$native" >/dev/null
cmake --build "$native" --target varnok-pack -j "$jobs"
pack=$native/tools/varnok-pack/varnok-pack

echo "=== build the installer ($win32)"
stub=$win32/Pelladrover.exe
if ! { cmake --preset win32 -B "$win32" >/dev/null && cmake --build "$win32" --target Pelladrover -j "$jobs"; }; then
    echo "demo: the installer program did not build; packing the archive alone" >&2
    stub=""
fi

mkdir -p "$out"
echo "=== pack demo"
if [ -n "$stub" ] && [ -f "$stub" ]; then
    result=$out/setup.exe
    "$pack" pack --stub "$stub" -o "$result" demo
else
    result=$out/instdat.arc
    echo "demo: no installer program at $stub: writing $result, to be shipped beside it" >&2
    "$pack" pack -o "$result" demo
fi

echo "=== list $result"
"$pack" list "$result"
echo "=== verify $result"
"$pack" verify "$result"
