# Sourced by the benchmarks that run the installer under Wine:
#   bench_setup NAME WORKDIR REQUIRED_FILE...
# checks the win64 build (VARNOK_BUILD, default build/win64) holds the
# REQUIRED_FILEs (relative to it), builds the native Release benchmark tools
# in build/bench, and makes the archive benchmark's corpus in WORKDIR/corpus.
# Sets root, work, win64, bench, pack.
# bench_corpus DIR [BIG_MB [containers]] makes a corpus alone.
# bench_pack OUT GAMEDIR [PACK OPTION...] packs quietly; bench_wine starts a
# Wine session that ends with the script.

# calc EXPRESSION DECIMALS
calc() { awk "BEGIN { printf \"%.$2f\", $1 }"; }
min() { calc "($1 < $2) ? $1 : $2" 3; }

bench_setup() {
    local name=$1 f
    root=$PWD
    work=$(realpath -m "$2")
    win64=$root/${VARNOK_BUILD:-build/win64}
    shift 2
    for f in "$@"; do
        [ -f "$win64/$f" ] || { echo "$name: $win64/$f is missing: build the win64 preset first" >&2; exit 1; }
    done
    cmake --preset native -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/bench --target archive_bench varnok-pack -j2 >/dev/null
    bench=build/bench/tests/bench/archive_bench
    pack=build/bench/tools/varnok-pack/varnok-pack
    mkdir -p "$work"
    bench_corpus "$work/corpus"
}

# The archive benchmark's corpus in DIR, made by $bench when missing or made
# by an older version of the generator or with other options. It gets the
# demo's picture, since pack refuses a game whose picture would not show.
corpus_version=2
bench_corpus() {  # DIR [BIG_MB [containers]]
    local version="$corpus_version ${*:2}"
    if [ ! -f "$1/install.env" ] || [ "$(cat "$1.version" 2>/dev/null)" != "${version% }" ]; then
        echo "making the corpus in $1"
        rm -rf "$1"
        "$bench" corpus "$@"
        echo "${version% }" >"$1.version"
    fi
    cp demo/game/insttscr.rct "$1/insttscr.rct"
}

# The benchmark games lack their programs, which pack warns about: its
# output is shown only when it fails.
bench_pack() {  # OUT GAMEDIR [OPTION...]
    local out=$1 game=$2
    shift 2
    if ! "$pack" pack "$@" -o "$out" "$game" >"$work/pack.log" 2>&1; then
        cat "$work/pack.log" >&2
        exit 1
    fi
}

bench_wine() {
    source scripts/wine-session.sh
    unset DISPLAY
    wine_session_start "$win64"
    trap wine_session_stop EXIT
}
