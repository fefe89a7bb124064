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
source scripts/bench-common.sh
runs=3

bench_setup bench-install "${1:-build/bench-install}" Pelladrover.exe tests/e2e/varnok_install_tool.exe
tool=$win64/tests/e2e/varnok_install_tool.exe
bench_pack "$work/setup.exe" "$work/corpus" --stub "$win64/Pelladrover.exe"
bench_pack "$work/corpus.arc" "$work/corpus"
bytes=$(du -sb --apparent-size "$work/corpus" | cut -f1)

bench_wine
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
