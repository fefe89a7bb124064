#!/bin/bash
# The archive benchmark. Makes its own corpus (~1,500 files, ~190 MB: text,
# incompressible and repetitive binary, three files over 10 MB), packs it,
# and prints, from one run on one disk, each figure in MB/s of uncompressed
# data with its ratio and target:
#   (a) the installer's design: zlib inflate, 128 KiB buffers per file, fwrite, file time
#   (b) the portable core as the installer runs it, to disk        target b/a >= 0.9
#   (c) varnok-pack extract (every core, libdeflate)               target c/a >= 2
#   (d) varnok-pack pack --jobs 2 against zlib level 6 on one thread
#                                      target >= 3.5x, output no larger
#   (e) peak memory of (b) and of pack, again with one 600 MB file in the corpus
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

# measure COMMAND...: sets secs (wall time) and peak_mb (maximum resident set).
measure() {
    sync
    if ! "$bench" run "$work/run" "$@" >"$work/out.log" 2>&1; then
        cat "$work/out.log" >&2
        exit 1
    fi
    read -r secs peak_kb <"$work/run"
    peak_mb=$(calc "$peak_kb / 1024" 1)
}

# calc EXPRESSION DECIMALS
calc() { awk "BEGIN { printf \"%.$2f\", $1 }"; }

# best RUNS OUTDIR COMMAND...: the shortest of RUNS runs, OUTDIR emptied before each.
best() {
    local n=$1 out=$2 shortest=""
    shift 2
    for _ in $(seq "$n"); do
        rm -rf "$out"
        mkdir -p "$out"
        measure "$@"
        if [ -z "$shortest" ] || [ "$(calc "$secs < $shortest" 0)" = 1 ]; then shortest=$secs; fi
    done
    secs=$shortest
}

rate() { calc "$1 / $2 / 1000000" 1; }
ratio() { calc "$1 / $2" 2; }

if [ ! -f "$work/corpus/install.env" ]; then
    echo "making the corpus in $work/corpus"
    rm -rf "$work/corpus"
    "$bench" corpus "$work/corpus"
fi
bytes=$(find "$work/corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
files=$(find "$work/corpus" -type f | wc -l)
arc=$work/corpus.arc

measure "$pack" pack --jobs 2 -o "$arc" "$work/corpus"
pack_secs=$secs pack_peak=$peak_mb
pack_size=$(stat -c %s "$arc")
measure "$bench" deflate-zlib "$work/corpus"
zlib_secs=$secs
zlib_size=$(tail -1 "$work/out.log")

best $runs "$work/a" "$bench" inflate-plain "$arc" "$work/a"
a_secs=$secs
best $runs "$work/b" "$bench" extract-core "$arc" "$work/b"
b_secs=$secs b_peak=$peak_mb
best $runs "$work/c" "$pack" extract "$arc" "$work/c"
c_secs=$secs
for d in a b c; do
    diff -r "$work/corpus" "$work/$d" >/dev/null || { echo "bench: ($d) did not reproduce the corpus" >&2; exit 1; }
done

if [ ! -f "$work/corpus600/data/movie/huge.bin" ]; then
    echo "making the corpus with a 600 MB file in $work/corpus600"
    rm -rf "$work/corpus600"
    "$bench" corpus "$work/corpus600" 600
fi
measure "$pack" pack --jobs 2 -o "$work/corpus600.arc" "$work/corpus600"
pack600_peak=$peak_mb
rm -rf "$work/b600" && mkdir -p "$work/b600"
measure "$bench" extract-core "$work/corpus600.arc" "$work/b600"
b600_peak=$peak_mb
rm -rf "$work/a" "$work/b" "$work/c" "$work/b600"

a_rate=$(rate "$bytes" "$a_secs")
cat <<REPORT

corpus: $files files, $(rate "$bytes" 1) MB; archive $(rate "$pack_size" 1) MB; $(nproc) processors
(a) installer design, zlib loop to disk     $a_rate MB/s
(b) portable core to disk                   $(rate "$bytes" "$b_secs") MB/s   b/a = $(ratio "$a_secs" "$b_secs")   (target >= 0.9)
(c) varnok-pack extract                     $(rate "$bytes" "$c_secs") MB/s   c/a = $(ratio "$a_secs" "$c_secs")   (target >= 2)
(d) varnok-pack pack --jobs 2               $(rate "$bytes" "$pack_secs") MB/s   against zlib level 6, one thread, $(rate "$bytes" "$zlib_secs") MB/s: $(ratio "$zlib_secs" "$pack_secs") x   (target >= 3.5)
    output $pack_size bytes (with headers) against zlib's $zlib_size bytes of streams: $(ratio "$pack_size" "$zlib_size")   (target <= 1)
(e) peak memory                             (b) $b_peak MB, with a 600 MB file $b600_peak MB
                                            pack $pack_peak MB, with a 600 MB file $pack600_peak MB
REPORT
