#!/bin/bash
# The archive benchmark. Makes its own corpus, shaped like a released game
# (~1,500 files, ~290 MB: a quarter of the bytes compressed music, voice and
# pictures in their Ogg, PNG and JPEG containers; scripts, fonts, packed data
# files, uncompressed pictures and sounds, programs; three files over 10 MB
# and two containers of sprites and scripts, 56 and 36 MiB, that deflate
# shrinks by a third), packs it, and prints, from one run on one disk, each
# figure in MB/s of uncompressed data with its ratio and target:
#   (a) the installer's design: zlib inflate, 128 KiB buffers per file, fwrite, file time
#   (b) the portable core as the installer runs it, to disk        target b/a >= 0.9
#   (c) varnok-pack extract (every core, libdeflate)               target c/a >= 2
#   (d) varnok-pack pack --jobs 2 against zlib level 6 on one thread
#                                      target >= 4x, output no larger;
#       then the same for the two large containers alone
#   (e) peak memory of (b) and of pack, again with one 600 MB file in the corpus
# Every timed figure is the best of three rounds. Wall times depend on what
# else the machine runs: the load average and each run's processor time are
# printed beside them.
#
#   scripts/bench.sh [WORKDIR] [BUILD_DIR]      (defaults build/bench-archive, build/bench)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-build/bench-archive}
build=${2:-build/bench}
runs=3

cmake --preset native -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target archive_bench varnok-pack -j2 >/dev/null
bench=$build/tests/bench/archive_bench
pack=$build/tools/varnok-pack/varnok-pack
mkdir -p "$work"
work=$(realpath "$work")

source scripts/bench-common.sh
rate() { calc "$1 / $2 / 1000000" 1; }
ratio() { calc "$1 / $2" 2; }

# measure COMMAND...: sets secs (wall), cpu (user + system) and peak_mb.
measure() {
    sync
    if ! "$bench" run "$work/run" "$@" >"$work/out.log" 2>&1; then
        cat "$work/out.log" >&2
        exit 1
    fi
    read -r secs peak_kb cpu <"$work/run"
    peak_mb=$(calc "$peak_kb / 1024" 1)
}

# Extraction runs go round-robin, (a) (b) (c) three times, so that each
# meets the file system in the same state; each keeps its shortest run.
extract_rounds() {  # ARCHIVE
    local round x
    declare -gA best_secs=() best_cpu=() best_peak=()
    for round in $(seq "$runs"); do
        for x in a b c; do
            rm -rf "$work/$x"
            mkdir -p "$work/$x"
            case $x in
                a) measure "$bench" inflate-plain "$1" "$work/$x" ;;
                b) measure "$bench" extract-core "$1" "$work/$x" ;;
                c) measure "$pack" extract "$1" "$work/$x" ;;
            esac
            if [ -z "${best_secs[$x]:-}" ] || [ "$(calc "$secs < ${best_secs[$x]}" 0)" = 1 ]; then
                best_secs[$x]=$secs best_cpu[$x]=$cpu best_peak[$x]=$peak_mb
            fi
        done
    done
}

load_before=$(cut -d' ' -f1 /proc/loadavg)
bench_corpus "$work/corpus" 0 containers
bytes=$(find "$work/corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
files=$(find "$work/corpus" -type f | wc -l)
arc=$work/corpus.arc

# Compression of GAMEDIR into ARCHIVE: pack and zlib alternate, each keeping
# its shortest run. Sets d_secs d_cpu pack_peak z_secs z_cpu pack_size zlib_size.
compress_rounds() {  # GAMEDIR ARCHIVE
    d_secs="" z_secs=""
    for _ in $(seq "$runs"); do
        measure "$pack" pack --no-uninstaller --jobs 2 -o "$2" "$1"
        if [ -z "$d_secs" ] || [ "$(calc "$secs < $d_secs" 0)" = 1 ]; then d_secs=$secs d_cpu=$cpu pack_peak=$peak_mb; fi
        measure "$bench" deflate-zlib "$1"
        if [ -z "$z_secs" ] || [ "$(calc "$secs < $z_secs" 0)" = 1 ]; then z_secs=$secs z_cpu=$cpu; fi
    done
    pack_size=$(stat -c %s "$2")
    zlib_size=$(tail -1 "$work/out.log")
}

# The large containers alone, beside the files pack needs.
rm -rf "$work/large" && mkdir -p "$work/large/data"
ln "$work/corpus/install.env" "$work/corpus/insttscr.rct" "$work/large/"
ln "$work/corpus/data/arc/"* "$work/large/data/"
large_bytes=$(du -b -c "$work/large/data/"* | tail -1 | cut -f1)
compress_rounds "$work/large" "$work/large.arc"
large="pack $(rate "$large_bytes" "$d_secs") MB/s (cpu $d_cpu s) against zlib $(rate "$large_bytes" "$z_secs") MB/s (cpu $z_cpu s): $(ratio "$z_secs" "$d_secs") x
    output $pack_size against $zlib_size: $(calc "$pack_size / $zlib_size" 4)"
rm -rf "$work/large" "$work/large.arc"

compress_rounds "$work/corpus" "$arc"

extract_rounds "$arc"
a_secs=${best_secs[a]} a_cpu=${best_cpu[a]}
b_secs=${best_secs[b]} b_cpu=${best_cpu[b]} b_peak=${best_peak[b]}
c_secs=${best_secs[c]} c_cpu=${best_cpu[c]}
for d in a b c; do
    diff -r "$work/corpus" "$work/$d" >/dev/null || { echo "bench: ($d) did not reproduce the corpus" >&2; exit 1; }
done

bench_corpus "$work/corpus600" 600
measure "$pack" pack --no-uninstaller --jobs 2 -o "$work/corpus600.arc" "$work/corpus600"
pack600_peak=$peak_mb
rm -rf "$work/b600" && mkdir -p "$work/b600"
measure "$bench" extract-core "$work/corpus600.arc" "$work/b600"
b600_peak=$peak_mb
rm -rf "$work/a" "$work/b" "$work/c" "$work/b600" "$work/corpus600.arc"
load_after=$(cut -d' ' -f1 /proc/loadavg)

cat <<REPORT

corpus: $files files, $(rate "$bytes" 1) MB; archive $(rate "$pack_size" 1) MB
machine: $(nproc) processors, load average $load_before before, $load_after after
(a) installer design, zlib loop to disk   $(rate "$bytes" "$a_secs") MB/s   (cpu $a_cpu s)
(b) portable core to disk                 $(rate "$bytes" "$b_secs") MB/s   (cpu $b_cpu s)   b/a = $(ratio "$a_secs" "$b_secs")   target >= 0.9
(c) varnok-pack extract                   $(rate "$bytes" "$c_secs") MB/s   (cpu $c_cpu s)   c/a = $(ratio "$a_secs" "$c_secs")   target >= 2
(d) zlib level 6, one thread              $(rate "$bytes" "$z_secs") MB/s   (cpu $z_cpu s)
    varnok-pack pack --jobs 2             $(rate "$bytes" "$d_secs") MB/s   (cpu $d_cpu s)   $(ratio "$z_secs" "$d_secs") x   target >= 4
    output $pack_size bytes, headers included, against zlib's streams $zlib_size: $(calc "$pack_size / $zlib_size" 4)   target <= 1
    the two large containers alone, $(rate "$large_bytes" 1) MB: $large
(e) peak memory                           (b) $b_peak MB; with a 600 MB file $b600_peak MB
                                          pack $pack_peak MB; with a 600 MB file $pack600_peak MB
REPORT
