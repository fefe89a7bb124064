#!/bin/bash
# (f) The whole install under Wine: the archive benchmark's ~200 MB corpus
# installed through the installer's real windows (launcher, SETUP, the
# confirmation, the copy window, MAKESHORTCUT, the end dialog), its copy
# step timed as long as the copy window is up, against the
# installer's design as a plain loop (zlib, 128 KiB buffers, fwrite, file
# time) built for Windows and run under Wine in the same run, on the same
# archive bytes and the same disk. Prints both in MB/s of unpacked data,
# best of three rounds each, and their ratio (target >= 0.9).
#
#   scripts/bench-install.sh [WORKDIR]     (default build/bench-install)
#
# Needs the win64 build (VARNOK_BUILD, default build/win64); builds the
# native Release benchmark tools in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(realpath -m "${1:-build/bench-install}")
win64=$root/${VARNOK_BUILD:-build/win64}
bench_build=build/bench
runs=3

tool=$win64/tests/e2e/varnok_install_tool.exe
for f in "$win64/Pelladrover.exe" "$tool"; do
    [ -f "$f" ] || { echo "bench-install: $f is missing: build the win64 preset first" >&2; exit 1; }
done
cmake --preset native -B "$bench_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$bench_build" --target archive_bench varnok-pack -j2 >/dev/null
bench=$bench_build/tests/bench/archive_bench
pack=$bench_build/tools/varnok-pack/varnok-pack
calc() { awk "BEGIN { printf \"%.$2f\", $1 }"; }
min() { calc "($1 < $2) ? $1 : $2" 3; }

mkdir -p "$work"
if [ ! -f "$work/corpus/install.env" ]; then
    echo "making the corpus in $work/corpus"
    rm -rf "$work/corpus"
    "$bench" corpus "$work/corpus"
fi
cp demo/game/insttscr.rct "$work/corpus/insttscr.rct"
# The corpus lacks its programs, which pack warns about: its output is shown
# only when it fails.
for target in setup.exe corpus.arc; do
    stub=()
    [ "$target" = setup.exe ] && stub=(--stub "$win64/Pelladrover.exe")
    if ! "$pack" pack "${stub[@]}" -o "$work/$target" "$work/corpus" >"$work/pack.log" 2>&1; then
        cat "$work/pack.log" >&2
        exit 1
    fi
done
bytes=$(du -sb --apparent-size "$work/corpus" | cut -f1)

source scripts/wine-session.sh
unset DISPLAY
wine_session_start "$win64"
trap wine_session_stop EXIT
drive_c=$WINEPREFIX/drive_c

# seconds MODE SOURCE: one timed run into C:\bench-install (emptied first).
seconds() {
    rm -rf "$drive_c/bench-install"
    mkdir -p "$drive_c/bench-install"
    sync
    "$WINE64" "$tool" "$1" "Z:$2" 'C:\bench-install' 2>/dev/null | tr -d '\r' | awk '/^seconds/ { print $2 }'
}

plain=999999 install=999999
for _ in $(seq "$runs"); do
    p=$(seconds plain "$work/corpus.arc")
    i=$(seconds install "$work/setup.exe")
    [ -n "$p" ] && [ -n "$i" ] || { echo "bench-install: a run failed" >&2; exit 1; }
    plain=$(min "$plain" "$p")
    install=$(min "$install" "$i")
done
rm -rf "$drive_c/bench-install"

cat <<REPORT

corpus: $bytes bytes unpacked; machine: $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)
(a) design loop under Wine          $(calc "$bytes / $plain / 1000000" 1) MB/s   ($(calc "$plain" 2) s)
(f) whole install, its copy step    $(calc "$bytes / $install / 1000000" 1) MB/s   ($(calc "$install" 2) s)
ratio f/a $(calc "$plain / $install" 2)   target >= 0.9
REPORT
