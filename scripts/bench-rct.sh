#!/bin/sh
# The RCT picture benchmark: builds rct_bench in an optimised native build
# and prints decode throughput (against memcpy in the same run) and encoded
# sizes (against raw 24-bit and PNG) for 4096 x 4096 pictures and the demo
# game's picture.
#
#   scripts/bench-rct.sh [BUILD_DIR] [SIZE]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/bench}
size=${2:-4096}

cmake --preset native -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target rct_bench varnok-pack -j2 >/dev/null

demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
"$build/tools/varnok-pack/varnok-pack" rct decode demo/game/insttscr.rct "$demo/insttscr.ppm"
"$build/tests/bench/rct_bench" "$size" "$demo/insttscr.ppm"
