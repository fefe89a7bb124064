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
source scripts/bench-common.sh
runs=3

bench_setup bench-menu "${1:-build/bench-menu}" Pelladrover.exe tests/e2e/varnok_menu_show.exe
mkdir -p "$work/small" "$work/large"
bench_pack "$work/small/setup.exe" demo/game --stub "$win64/Pelladrover.exe"
bench_pack "$work/large/setup.exe" "$work/corpus" --stub "$win64/Pelladrover.exe"

bench_wine

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
