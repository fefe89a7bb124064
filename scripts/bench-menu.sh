#!/bin/bash
# Time to the launcher: the wall time from starting the installer under Wine
# to its launcher window being visible, for the demo game and for the
# archive benchmark's ~200 MB corpus packed as one installer (both with the
# demo's picture). The setup pass passes over the entries it does not write,
# so the large one should take no longer than 1.2 x the small one. Beside
# it, the setup pass's own time against the full pass's for the large
# installer, both native (the portable walk with the Linux callback).
# Each figure is the best of three rounds.
#
#   scripts/bench-menu.sh [WORKDIR]     (default build/bench-menu)
#
# Needs the win64 build (VARNOK_BUILD, default build/win64); builds the
# native Release benchmark tools in build/bench.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(realpath -m "${1:-build/bench-menu}")
win64=$root/${VARNOK_BUILD:-build/win64}
bench_build=build/bench
runs=3

for f in "$win64/Pelladrover.exe" "$win64/tests/e2e/varnok_menu_show.exe"; do
    [ -f "$f" ] || { echo "bench-menu: $f is missing: build the win64 preset first" >&2; exit 1; }
done
cmake --preset native -B "$bench_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$bench_build" --target archive_bench varnok-pack -j2 >/dev/null
bench=$bench_build/tests/bench/archive_bench
pack=$bench_build/tools/varnok-pack/varnok-pack
calc() { awk "BEGIN { printf \"%.$2f\", $1 }"; }
min() { calc "($1 < $2) ? $1 : $2" 3; }

mkdir -p "$work/small" "$work/large"
if [ ! -f "$work/corpus/install.env" ]; then
    echo "making the corpus in $work/corpus"
    rm -rf "$work/corpus"
    "$bench" corpus "$work/corpus"
fi
cp demo/game/insttscr.rct "$work/corpus/insttscr.rct"
# The games lack their programs, which pack warns about: its output is shown
# only when it fails.
pack_installer() {  # GAMEDIR OUT
    if ! "$pack" pack --stub "$win64/Pelladrover.exe" -o "$2" "$1" >"$work/pack.log" 2>&1; then
        cat "$work/pack.log" >&2
        exit 1
    fi
}
pack_installer demo/game "$work/small/setup.exe"
pack_installer "$work/corpus" "$work/large/setup.exe"

source scripts/wine-session.sh
unset DISPLAY
wine_session_start "$root/${VARNOK_BUILD:-build/win64}"
trap wine_session_stop EXIT

# menu_ms INSTALLER: the helper's time to the launcher, in ms.
menu_ms() {
    "$WINE64" "$win64/tests/e2e/varnok_menu_show.exe" "Z:$1" | awk '/launcher visible after/ { print $4 }'
}
# native_s MODE: seconds of one native pass over the large installer.
native_s() {
    rm -rf "$work/out" && mkdir -p "$work/out"
    sync
    "$bench" run "$work/run" "$bench" "$1" "$work/large/setup.exe" "$work/out" >/dev/null
    cut -d' ' -f1 "$work/run"
}

menu_ms "$work/small/setup.exe" >/dev/null  # warm the prefix and the disk cache
small=999999 large=999999 setup=999999 full=999999
for _ in $(seq "$runs"); do
    small=$(min "$small" "$(menu_ms "$work/small/setup.exe")")
    large=$(min "$large" "$(menu_ms "$work/large/setup.exe")")
    setup=$(min "$setup" "$(native_s setup-core)")
    full=$(min "$full" "$(native_s extract-core)")
done
rm -rf "$work/out"

cat <<REPORT

installers: demo $(stat -c %s "$work/small/setup.exe") bytes; corpus $(stat -c %s "$work/large/setup.exe") bytes, $(du -sb "$work/corpus" | cut -f1) bytes unpacked
machine: $(nproc) processors, load average $(cut -d' ' -f1-3 /proc/loadavg)
time to the launcher under Wine   demo $(calc "$small" 0) ms   corpus $(calc "$large" 0) ms   ratio $(calc "$large / $small" 2)   target <= 1.2
corpus installer, native          setup pass $(calc "$setup * 1000" 0) ms   full pass $(calc "$full * 1000" 0) ms
REPORT
