#!/bin/bash
# The whole check on a fresh machine: install what is missing, build the
# native, 32-bit native, win64 and win32 builds, run every native, qemu-i386
# and Wine test, the Windows tests again on the shipped i686 build under
# 32-bit Wine in the emulated machine (scripts/vm32.sh), and a short pass of
# every fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

scripts/install-deps.sh

for preset in native native32 win64 win32; do
    echo "=== build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

# One X server and one Wine prefix for the whole Wine run.
source scripts/wine-session.sh
wine_session_start "$root/build/win64"
trap wine_session_stop EXIT

status=0
echo "=== test native"
ctest --preset native -j "$jobs" || status=1
echo "=== test native32 (qemu-i386)"
ctest --preset native32 -j "$jobs" || status=1
echo "=== fuzz (20 s per harness)"
scripts/fuzz.sh 20 || status=1
echo "=== test win64 (Wine)"
ctest --preset win64 || status=1
echo "=== test win32 (32-bit Wine in the emulated machine)"
start=$SECONDS
scripts/vm32.sh build || status=1
ctest --preset win32 || status=1
echo "win32: $((SECONDS - start)) s, the machine's build included"
echo "=== release zip"
scripts/release.sh || status=1
exit $status
