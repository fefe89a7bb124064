#!/bin/bash
# varnok-pack.exe under Wine with a non-Japanese ANSI code page, against the
# Linux tool: the same archives byte for byte, round trips of Japanese and
# long names, the same refusals, and a dropped folder packed into an
# installer that starts to its launcher.
#   winpack-test.sh NATIVE_PACK WINDOWS_PACK MENU_SHOW WORKDIR
set -uo pipefail
native=$1
exe=$2
menu_show=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
wine=${WINE:-/usr/lib/wine/wine64}
export LC_ALL=C.UTF-8 WINEDEBUG=-all SOURCE_DATE_EPOCH=1230581709
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
win() { "$wine" "$exe" "$@" 2>&1; }
wpath() { echo "Z:${1//\//\\}"; }

rm -rf "$work" && mkdir -p "$work"
game=$work/ゲーム
mkdir -p "$game/音楽/曲"
printf 'TITLEBAR\t\x83\x65\x83\x58\x83\x67\r\n[EOF]\r\n' > "$game/install.env"
cp "$here/../../demo/game/insttscr.rct" "$game/"
printf 'readme\r\n' > "$game/readme.txt"
seq 1 300000 > "$game/データ.txt"   # over one chunk: the parallel path
head -c 200000 /dev/urandom > "$game/音楽/曲/テーマ.bin"
long=$game/$(printf 'f%.0s' {1..60})/$(printf 'g%.0s' {1..60})/$(printf 'h%.0s' {1..60})/$(printf 'i%.0s' {1..60})
mkdir -p "$long" && echo deep > "$long/深い.txt"

# Same archives, whatever the threads and the platform.
"$native" pack --no-uninstaller -o "$work/linux.arc" "$game" >/dev/null || fail "native pack"
for jobs in 1 3; do
    out=$(win pack --no-uninstaller -j $jobs -o "$(wpath "$work/win$jobs.arc")" "$(wpath "$game")") || fail "pack -j $jobs: $out"
    cmp -s "$work/linux.arc" "$work/win$jobs.arc" || fail "pack -j $jobs differs from the Linux tool's archive"
done

# Round trip through the Windows extract, long paths included.
win extract "$(wpath "$work/linux.arc")" "$(wpath "$work/out")" >/dev/null || fail "extract"
diff -r "$game" "$work/out" >/dev/null || fail "extracted tree differs from the game folder"
[ "$(win list "$(wpath "$work/linux.arc")")" = "$("$native" list "$work/linux.arc")" ] || fail "list output differs"
win verify "$(wpath "$work/linux.arc")" | grep -q ": sound: " || fail "verify"

# Refusals: the same exit code and the same message after the path.
refusal() {  # name setup-command...
    local name=$1 dir=$work/case-$1
    shift
    rm -rf "$dir" && mkdir -p "$dir" && cp -r "$game/install.env" "$game/insttscr.rct" "$dir/" && (cd "$dir" && "$@")
    local linux windows lc wc
    linux=$("$native" pack --no-uninstaller -o "$work/x.arc" "$dir" 2>&1); lc=$?
    windows=$(win pack --no-uninstaller -o "$(wpath "$work/x.arc")" "$(wpath "$dir")"); wc=$?
    [ $lc = 1 ] && [ $wc = 1 ] || fail "$name: exit $lc on Linux, $wc on Windows"
    [ "${linux##*\': }" = "${windows##*\': }" ] || fail "$name: '$linux' vs '$windows'"
    [ -e "$work/x.arc" ] && fail "$name: output written"
}
refusal no-shift-jis touch $'\xc2\xa5.txt'            # ¥ has no exact Shift-JIS form
refusal no-shift-jis-emoji touch $'\xf0\x9f\x98\x80'  # an emoji
refusal no-settings rm install.env
refusal trailing-dot touch 'name.'

# An unsafe archive name: refused by both before anything is written.
python3 "$here/damage-archive.py" unsafe "$work/unsafe.arc" '..\evil.txt'
"$native" extract "$work/unsafe.arc" "$work/u1" >/dev/null 2>&1; lc=$?
msg=$(win extract "$(wpath "$work/unsafe.arc")" "$(wpath "$work/u2")"); wc=$?
[ $lc = 1 ] && [ $wc = 1 ] && grep -q "would leave the destination folder" <<<"$msg" || fail "unsafe name: $lc/$wc $msg"
[ -e "$work/evil.txt" ] && fail "unsafe name escaped"

# A link planted in the destination is refused, and nothing is written
# through it.
mkdir -p "$work/linked" "$work/elsewhere" && ln -s "$work/elsewhere" "$work/linked/音楽"
msg=$(win extract "$(wpath "$work/linux.arc")" "$(wpath "$work/linked")"); wc=$?
[ $wc = 1 ] && grep -q "links in the destination are not followed" <<<"$msg" || fail "planted link: $wc $msg"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "planted link: written through"

# A folder dropped on the program: FOLDER_setup.exe beside it, behind the
# installer and with the uninstaller beside the program; it starts to its
# launcher.
win "$(wpath "$game")" >/dev/null || fail "dropped folder"
"$native" verify "$game"_setup.exe >/dev/null || fail "dropped folder: no sound installer"
listing=$("$native" list "$game"_setup.exe)
[[ $(head -1 <<<"$listing") == *install.env ]] || fail "dropped folder: installer starts with '$(head -1 <<<"$listing")'"
grep -q ' UnInst\.exe$' <<<"$listing" || fail "dropped folder: no UnInst.exe packed"
out=$(LC_ALL=ja_JP.UTF-8 "$wine" "$menu_show" "$(wpath "$game")_setup.exe" 2>&1) ||
    fail "dropped folder: the installer did not reach its launcher: $out"

# Without the uninstaller beside the program a dropped folder is refused,
# not packed without one.
alone=$work/alone
mkdir -p "$alone" && cp "$exe" "$(dirname "$exe")/Pelladrover.exe" "$alone/"
rm -f "$game"_setup.exe
msg=$("$wine" "$alone/varnok-pack.exe" "$(wpath "$game")" 2>&1); rc=$?
[ $rc = 1 ] && grep -q "UnInst.exe' is not beside varnok-pack" <<<"$msg" || fail "no uninstaller: $rc $msg"
[ -e "$game"_setup.exe ] && fail "no uninstaller: installer written"

[ $failures = 0 ] && echo "winpack: all cases passed"
exit $((failures > 0))
