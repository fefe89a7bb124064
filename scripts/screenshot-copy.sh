#!/bin/bash
# A screenshot of the copy progress window (COPYINGDELUX) in the middle of a
# real full pass, taken under a private Xvfb, for a person to look at.
#
#   scripts/screenshot-copy.sh [SCREENSHOT.png]     (default out/copy-window.png)
#
# Needs the win64 build (VARNOK_BUILD, default build/win64) and the native
# varnok-pack (VARNOK_NATIVE_BUILD, default build/native). Prints the path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/${VARNOK_BUILD:-build/win64}
pack=$root/${VARNOK_NATIVE_BUILD:-build/native}/tools/varnok-pack/varnok-pack
show=$build/tests/e2e/varnok_copy_window_show.exe
shot=$(realpath -m "${1:-out/copy-window.png}")
source scripts/shot-session.sh
shot_require screenshot-copy "$pack" "$show"

work=$(mktemp -d)
shot_session_start "$build"
trap 'wine_session_stop; rm -rf "$work"' EXIT

# The demo game with some weight added, so that both bars stand part-way.
cp -r demo/game "$work/game"
mkdir -p "$work/game/data"
head -c 3000000 /dev/urandom > "$work/game/data/movie.bin"
# The demo game lacks its program here, which pack warns about: its words
# are shown only when it fails.
"$pack" pack --no-uninstaller -o "$work/instdat.arc" "$work/game" >"$work/pack.log" 2>&1 ||
    { cat "$work/pack.log" >&2; exit 1; }

"$WINE64" "$show" "Z:$work/instdat.arc" "Z:$work/out" 20 "Z:$work/ready" &
pid=$!
for _ in $(seq 600); do
    [ -e "$work/ready" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "screenshot-copy: the copy ended before it was held" >&2; exit 1; }
    sleep 0.1
done
[ -e "$work/ready" ] || { echo "screenshot-copy: the copy window never got half-way" >&2; exit 1; }
sleep 2  # a few frames of the animation
shot_take "$shot"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "$shot"
