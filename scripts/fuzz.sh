#!/bin/bash
# Runs each libFuzzer harness for SECONDS (default 60), or until RUNS
# executions when given, one after another, from seeds made fresh from the
# writers and the demo game. Prints the executions and crashes of each;
# exits non-zero when any harness crashed.
# Crash inputs are kept in build/fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
runs=${2:--1}
root=$PWD
out=$root/build/fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" >/dev/null
scripts/make-fuzz-seeds.sh "$out/seeds"

status=0
for harness in archive_walk rct_load setting_keys section_lists transfer_lines destination pe_file; do
    corpus=$out/corpus/$harness
    crashes=$out/crashes/$harness
    mkdir -p "$corpus" "$crashes"
    dict=()
    [ -f "tests/fuzz/$harness.dict" ] && dict=(-dict="tests/fuzz/$harness.dict")
    log=$out/$harness.log
    rc=0
    nice "$out/tests/fuzz/${harness}_fuzz" "$corpus" "$out/seeds/$harness" "${dict[@]}" \
        -max_total_time="$seconds" -runs="$runs" -timeout=1 -rss_limit_mb=2048 -max_len=65536 \
        -artifact_prefix="$crashes/" -print_final_stats=1 >"$log" 2>&1 || rc=$?
    done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    peak=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log" | tail -1)
    found=$(find "$crashes" -type f | wc -l)
    echo "fuzz $harness: ${done_runs:-0} executions, peak ${peak:-?} MB, $found crashes (exit $rc)"
    if [ "$rc" != 0 ] || [ "$found" != 0 ]; then
        grep -m5 -E 'ERROR|SUMMARY|Test unit written' "$log" || true
        status=1
    fi
done
exit $status
