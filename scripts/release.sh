#!/bin/bash
# The publisher's download: out/release/varnok-pack-VERSION-windows.zip with
# varnok-pack.exe (x86_64), the shipped 32-bit installer Pelladrover.exe and
# uninstaller UnInst.exe, the demo game and a short README.
#   scripts/release.sh
# VARNOK_WIN32_BUILD and VARNOK_BUILD (win64) choose other build folders.
# With VARNOK_SIGN_PKCS12 (a PKCS#12 file) and VARNOK_SIGN_PASSWORD_FILE (a
# file holding its password) the three programs are signed with
# osslsigncode; without them they ship unsigned. Keep both outside the
# repository.
set -euo pipefail
cd "$(dirname "$0")/.."
win32=${VARNOK_WIN32_BUILD:-build/win32}
win64=${VARNOK_BUILD:-build/win64}
jobs=$(nproc)

scripts/install-deps.sh
cmake --preset win64 -B "$win64" >/dev/null
cmake --build "$win64" -j "$jobs" --target varnok-pack
cmake --preset win32 -B "$win32" >/dev/null
cmake --build "$win32" -j "$jobs" --target Pelladrover UnInst
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$win64/CMakeCache.txt")

name=varnok-pack-$version-windows
stage=out/release/$name
rm -rf "$stage" "out/release/$name.zip"
mkdir -p "$stage"
cp "$win64/varnok-pack.exe" "$win32/Pelladrover.exe" "$win32/UnInst.exe" "$stage/"
if [ -n "${VARNOK_SIGN_PKCS12:-}" ]; then
    password=${VARNOK_SIGN_PASSWORD_FILE:?VARNOK_SIGN_PKCS12 wants VARNOK_SIGN_PASSWORD_FILE, the file with its password}
    for program in varnok-pack.exe Pelladrover.exe UnInst.exe; do
        osslsigncode sign -pkcs12 "$VARNOK_SIGN_PKCS12" -readpass "$password" -n "VARNOK $version" \
            ${VARNOK_SIGN_TIMESTAMP_URL:+-t "$VARNOK_SIGN_TIMESTAMP_URL"} \
            -in "$stage/$program" -out "$stage/$program.signed" >/dev/null
        mv "$stage/$program.signed" "$stage/$program"
    done
    echo "release: signed varnok-pack.exe, Pelladrover.exe and UnInst.exe"
else
    echo "release: unsigned (set VARNOK_SIGN_PKCS12 and VARNOK_SIGN_PASSWORD_FILE to sign)"
fi
cp -r demo/game "$stage/demo-game"
cp scripts/release-readme.txt "$stage/README.txt"
sed -i "s/@VERSION@/$version/; s/\$/\r/" "$stage/README.txt"
(cd out/release && zip -qr -X "$name.zip" "$name")
echo "release: out/release/$name.zip"
