#!/bin/sh
# Packs the end-to-end tests' game with the real varnok-pack and lays out
# one folder per case, with the damaged and hostile variants beside it.
#   make-installers.sh VARNOK_PACK STUB MARKER OUTDIR
# MARKER stands in for DirectX\dxsetup.exe and for the viewer of .txt files.
set -eu
pack=$1
stub=$2
marker=$3
out=$4
here=$(cd "$(dirname "$0")" && pwd)
damage="python3 $here/damage-archive.py"
export SOURCE_DATE_EPOCH=1230581709

if [ ! -x "$pack" ]; then
    echo "make-installers: no varnok-pack at $pack (build the native preset, or set VARNOK_PACK_EXE)" >&2
    exit 1
fi
rm -rf "$out"
mkdir -p "$out"

# The game: its set-up files, a .txt inside a folder (passed over by the
# setup pass), a deeper folder (which ends the setup pass) and data.
game=$out/game
mkdir -p "$game/data" "$game/media/bgm"
printf 'TITLEBAR\tE2E_TEST\r\nREG_GLOBAL\tVarnokE2E\r\nREG_LOCAL\tBasic\r\n[EOF]\r\n' > "$game/install.env"
cp "$here/../../demo/game/insttscr.rct" "$game/insttscr.rct"
printf 'readme\r\n' > "$game/readme.txt"
printf 'notes\r\n' > "$game/data/notes.txt"
head -c 300000 /dev/urandom > "$game/media/bgm/track.bin"
head -c 50000 /dev/urandom > "$game/varnok.exe"

"$pack" pack --stub "$stub" -o "$out/game.exe" "$game" >/dev/null
"$pack" pack --no-uninstaller -o "$out/game.arc" "$game" >/dev/null
$damage flip-sum "$out/game.exe" "$out/damaged.exe"
$damage flip-sum-arc "$out/game.arc" "$out/damaged.arc"

case_dir() { mkdir -p "$out/$1" && echo "$out/$1"; }

cp "$out/game.exe" "$(case_dir normal)/setup.exe"
# A plain file named DirectX is no DirectX folder.
printf 'not a folder' > "$out/normal/DirectX"
cp "$out/damaged.exe" "$(case_dir damaged)/setup.exe"
cp "$stub" "$(case_dir missing)/setup.exe"
cp "$stub" "$(case_dir truncated)/setup.exe"
$damage cut "$out/game.arc" "$out/truncated/instdat.arc"
for name in unsafe-parent unsafe-rooted; do cp "$stub" "$(case_dir $name)/setup.exe"; done
$damage unsafe "$out/unsafe-parent/instdat.arc" '..\evil.txt'
$damage unsafe "$out/unsafe-rooted/instdat.arc" '\evil.txt'
# Settings that end the start-up: no install.env, a [reg] left open, a title
# no mutex can be named after (a backslash).
for name in no-settings open-reg backslash-title; do cp "$stub" "$(case_dir $name)/setup.exe"; done
$damage setup "$out/no-settings/instdat.arc" 'insttscr.rct=RCT' 'readme.txt=readme'
$damage setup "$out/open-reg/instdat.arc" 'install.env=TITLEBAR\tE2E_OPEN_REG\r\n[reg]\r\n"a"="b"\r\n' 'insttscr.rct=RCT'
$damage setup "$out/backslash-title/instdat.arc" 'install.env=TITLEBAR\tE2E\\SLASH\r\n' 'insttscr.rct=RCT'
# An installer reads the archive it carries, whatever it is called and
# whatever instdat.arc lies beside it; only a bare stub reads instdat.arc.
cp "$out/game.exe" "$(case_dir renamed-damaged-arc)/Renamed Setup.exe"
cp "$out/damaged.arc" "$out/renamed-damaged-arc/instdat.arc"
cp "$out/damaged.exe" "$(case_dir renamed-sound-arc)/other.exe"
cp "$out/game.arc" "$out/renamed-sound-arc/instdat.arc"
cp "$stub" "$(case_dir disc)/other.exe"
cp "$out/game.arc" "$out/disc/instdat.arc"
# Signed after pack, and a signed stub beside instdat.arc.
sign="sh $here/sign-program.sh"
$sign "$out/game.exe" "$(case_dir signed)/setup.exe" "$out/certificate"
$sign "$stub" "$(case_dir signed-disc)/setup.exe" "$out/certificate"
cp "$out/game.arc" "$out/signed-disc/instdat.arc"
# An instdat.arc in the current folder only is not the program's.
cp "$out/damaged.arc" "$(case_dir current-folder)/instdat.arc"

# The launcher's layouts. menu-full: every button, the readme label in
# Japanese (はじめに) naming guide.txt, a DirectX folder beside the program.
# menu-readme: the default readme file and a picture with a bad magic
# (long enough for a header, so that the loader does not ask to retry).
variant() {  # NAME INSTALL_ENV_LINES...
    local dir=$out/$1-game
    shift
    cp -r "$game" "$dir"
    printf '%s\r\n' "$@" '[EOF]' > "$dir/install.env"
    echo "$dir"
}
tab=$(printf '\t')
full=$(variant menu-full "TITLEBAR${tab}E2E_MENU_FULL" "INSTREADME${tab}$(printf '\202\315\202\266\202\337\202\311')" "INSTREADMEFL${tab}guide.txt")
printf 'guide for the e2e test\r\n' > "$full/guide.txt"
"$pack" pack --stub "$stub" -o "$(case_dir menu-full)/setup.exe" "$full" >/dev/null
mkdir -p "$out/menu-full/DirectX"
cp "$marker" "$out/menu-full/DirectX/dxsetup.exe"
mkdir -p "$out/viewer"
cp "$marker" "$out/viewer/viewer.exe"
# pack refuses such a picture, so this archive is made by hand, beside the stub.
cp "$stub" "$(case_dir menu-readme)/setup.exe"
$damage setup "$out/menu-readme/instdat.arc" 'install.env=TITLEBAR\tE2E_MENU_README\r\nINSTREADME\treadme\r\n[EOF]\r\n' \
    "insttscr.rct=XXXX$(printf '\\x00%.0s' $(seq 60))" 'readme.txt=readme\r\n'
# The picture as the launcher should show it, for comparing the screen with.
"$pack" rct decode "$game/insttscr.rct" "$out/insttscr.ppm" >/dev/null
# No picture at all: the locator asks while the launcher initialises.
cp "$stub" "$(case_dir no-picture)/setup.exe"
$damage setup "$out/no-picture/instdat.arc" 'install.env=TITLEBAR\tE2E_NO_PICTURE\r\n' 'readme.txt=readme'

# The uninstaller's game, packed with the UnInst.exe beside the stub and
# extracted as an install lays it out. Its [delfiles] holds two hostile
# entries; データ\曲.mml is a Japanese name (Shift-JIS in install.env).
ugame=$out/uninstall-src
mkdir -p "$ugame/data" "$ugame/データ"
printf 'TITLEBAR\tE2E_UNINSTALL\r\nREG_GLOBAL\tVarnokE2E\r\nREG_LOCAL\tUninstall\r\nINI_FILE\tvarnok_e2e_uninstall.ini\r\nINI_SECTION\tPath\r\nINST_GROUP\tE2E_MAKER\r\nINSTREADMEFL\treadme.txt\r\n[EOF]\r\n' > "$ugame/install.env"
printf '[delfiles]\r\ninstall.env\r\ninsttscr.rct\r\nreadme.txt\r\nvarnok.exe\r\nUnInst.exe\r\ndata\\*.dat\r\n\203\146\201\133\203\136\\\213\310.mml\r\n..\\outside.txt\r\nC:\\x.txt\r\n-\r\n' >> "$ugame/install.env"
printf '[delfiles_user]\r\nsave\\*.sav\r\n-\r\n[ini]\r\nInstallPath=REP_INSTALL\r\n-\r\n[reg]\r\n"InstallPath"="REP_INSTALL"\r\n"Title"="E2E"\r\n-\r\n' >> "$ugame/install.env"
cp "$here/../../demo/game/insttscr.rct" "$ugame/insttscr.rct"
printf 'readme\r\n' > "$ugame/readme.txt"
printf 'program' > "$ugame/varnok.exe"
printf 'a' > "$ugame/data/a.dat"
printf 'b' > "$ugame/data/b.dat"
printf 'music' > "$ugame/データ/曲.mml"
"$pack" pack --stub "$stub" -o "$out/uninstall.exe" "$ugame" >/dev/null 2>&1
"$pack" extract "$out/uninstall.exe" "$out/uninstall-game" >/dev/null
if [ ! -f "$out/uninstall-game/UnInst.exe" ]; then
    echo "make-installers: pack added no UnInst.exe (build the UnInst target beside $stub)" >&2
    exit 1
fi
