#!/bin/sh
# Packs the games that the whole-install tests install, one folder each:
#   make-install-games.sh VARNOK_PACK STUB OUTDIR
# full     every setting in use: group, readme (a batch that leaves a marker
#          where it was opened), [ini] and [reg] with placeholders,
#          Japanese and nested names
# plain    only a title: no group, no readme, INI_FILE and REG_GLOBAL "-",
#          [ini] and [reg] lines that must not be written; signed
# bigfile  a payload larger than the small drive it is installed on
# With WINEPREFIX set and root rights, a 1 MiB tmpfs is mounted under
# OUTDIR/smalldisk and mapped as the Wine drive T: (see unmount-small-disk.sh).
set -eu
pack=$1
stub=$2
out=$3
export SOURCE_DATE_EPOCH=1230581709
here=$(cd "$(dirname "$0")" && pwd)

if [ ! -x "$pack" ]; then
    echo "make-install-games: no varnok-pack at $pack (build the native preset, or set VARNOK_PACK_EXE)" >&2
    exit 1
fi
sh "$here/unmount-small-disk.sh" "$out"
rm -rf "$out"
mkdir -p "$out"

env_file() {  # $1 game folder; lines on stdin, LF turned into CR LF
    sed 's/$/\r/' > "$1/install.env"
}

game=$out/full/game
mkdir -p "$game/data/save" "$game/データ"
env_file "$game" <<'ENV'
TITLEBAR	E2E_FULL
INSTTO	E2EFull
INST_GROUP	E2EMaker
REG_GLOBAL	VarnokE2E
REG_LOCAL	Full
INI_FILE	e2e_full.ini
INI_SECTION	Game
INSTREADME	readme
INSTREADMEFL	readme.bat
EXENAME	game.exe
[EOF]
[ini]
Path=REP_INSTALL\data
no separator in this line
Drive=REP_CDROMDRIVE
-
[reg]
"IsInst"="1"
"InstTo"="REP_INSTALL"
"Cd"="REP_CDROM"
-
ENV
cp "$here/../../demo/game/insttscr.rct" "$game/insttscr.rct"
printf 'cd > readme-opened.txt\r\n' > "$game/readme.bat"
head -c 40000 /dev/urandom > "$game/game.exe"
head -c 20000 /dev/urandom > "$game/UnInst.exe"
head -c 400000 /dev/urandom > "$game/data/level.bin"
: > "$game/data/save/empty.dat"
printf 'notes\r\n' > "$game/データ/表.txt"
"$pack" pack --stub "$stub" -o "$out/full/setup.exe" "$game" >/dev/null
# The same game for the pre-Vista run, under a name that Wine's
# per-program version setting can single out.
cp "$out/full/setup.exe" "$out/full/xp-setup.exe"

game=$out/plain/game
mkdir -p "$game"
env_file "$game" <<'ENV'
TITLEBAR	E2E_PLAIN
INSTTO	E2EPlain
EXENAME	plain.exe
[EOF]
[ini]
Key=REP_INSTALL
-
[reg]
"IsInst"="1"
-
ENV
cp "$here/../../demo/game/insttscr.rct" "$game/insttscr.rct"
head -c 30000 /dev/urandom > "$game/plain.exe"
head -c 10000 /dev/urandom > "$game/UnInst.exe"
# Behind a signed stub, and signed again after pack, as a publisher signs.
sign="sh $here/sign-program.sh"
$sign "$stub" "$out/signed-stub/Pelladrover.exe" "$out/certificate"
"$pack" pack --stub "$out/signed-stub/Pelladrover.exe" -o "$out/plain/unsigned.exe" "$game" | grep -q "was left out"
$sign "$out/plain/unsigned.exe" "$out/plain/setup.exe" "$out/certificate"

game=$out/bigfile/game
mkdir -p "$game"
env_file "$game" <<'ENV'
TITLEBAR	E2E_BIG
INSTTO	E2EBig
REG_GLOBAL	VarnokE2E
REG_LOCAL	Big
[EOF]
ENV
cp "$here/../../demo/game/insttscr.rct" "$game/insttscr.rct"
head -c 3000000 /dev/urandom > "$game/big.bin"
"$pack" pack --stub "$stub" -o "$out/bigfile/setup.exe" "$game" >/dev/null

if [ -n "${WINEPREFIX:-}" ] && [ "$(id -u)" = 0 ] && [ -d "$WINEPREFIX/dosdevices" ]; then
    mkdir -p "$out/smalldisk"
    if mount -t tmpfs -o size=1m tmpfs "$out/smalldisk" 2>/dev/null; then
        ln -sfn "$out/smalldisk" "$WINEPREFIX/dosdevices/t:"
    else
        echo "make-install-games: no tmpfs could be mounted; the disk-full case will be skipped" >&2
    fi
fi
