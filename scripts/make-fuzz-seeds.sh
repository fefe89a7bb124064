#!/bin/bash
# Makes the fuzzers' seed inputs in DIR, one folder per harness, from the
# demo game and from varnok-pack's own writers (built natively if needed).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:?usage: make-fuzz-seeds.sh DIR}
pack=build/native/tools/varnok-pack/varnok-pack
if [ ! -x "$pack" ]; then
    cmake --preset native >/dev/null
    cmake --build --preset native -j "$(nproc)" --target varnok-pack >/dev/null
fi
rm -rf "$dir"
mkdir -p "$dir"/{archive_walk,rct_load,setting_keys,section_lists,transfer_lines,destination,pe_file}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Archives: the demo game at two levels, and a small game with an empty
# file, a stored-block file and a nested folder.
"$pack" pack --no-uninstaller -j 1 -o "$dir/archive_walk/demo6.arc" demo/game >/dev/null 2>&1
"$pack" pack --no-uninstaller -j 1 --level=1 -o "$dir/archive_walk/demo1.arc" demo/game >/dev/null 2>&1
mkdir -p "$work/small/sub/deeper"
cp demo/game/install.env demo/game/insttscr.rct "$work/small/"
: >"$work/small/empty.txt"
python3 -c 'import random, sys; random.seed(7); sys.stdout.buffer.write(random.randbytes(3000))' >"$work/small/sub/noise.bin"
printf 'abc%.0s' {1..200} >"$work/small/sub/deeper/text.txt"
"$pack" pack --no-uninstaller -j 1 --level=0 -o "$dir/archive_walk/small0.arc" "$work/small" >/dev/null 2>&1
"$pack" pack --no-uninstaller -j 1 -o "$dir/archive_walk/small6.arc" "$work/small" >/dev/null 2>&1

# Pictures: the demo's, and a small one in every variant.
cp demo/game/insttscr.rct "$dir/rct_load/demo.rct"
python3 - "$work/pic.ppm" <<'PY'
import sys
w, h = 13, 5
px = bytes((x * 19 + y * 7) % 256 if (x // 3 + y) % 2 else 40 for y in range(h) for x in range(w) for _ in range(3))
open(sys.argv[1], "wb").write(b"P6 %d %d 255\n" % (w, h) + px)
PY
for v in TC00 TS00; do
    "$pack" rct encode "$work/pic.ppm" "$dir/rct_load/$v.rct" --variant "$v" >/dev/null
done
for v in TC01 TS01; do
    "$pack" rct encode "$work/pic.ppm" "$dir/rct_load/$v.rct" --variant "$v" --name "n$v" >/dev/null
done

# Settings: the demo's install.env for both passes, and one of every line form.
for h in setting_keys section_lists; do
    cp demo/game/install.env "$dir/$h/demo.env"
    printf '%s\r\n' 'TITLEBAR a|b // c' ' skipped' '/comment' 'INSTMAKEFOL -1' 'KEY' \
        '[delfiles]' 'a.exe   ' '-' '[ini]' 'K=REP_INSTALL' '[reg]' 'REGEDIT4' '-' '[EOF]' 'EOF' \
        >"$dir/$h/forms.env"
done

# Lines of [ini] and [reg] (after a byte for the install folder's length),
# and destination texts (after a byte for the settings).
n=0
for line in 'InstallPath=REP_INSTALL' 'Cd=REP_CDROMDRIVE\\x' '"InstallPath"="REP_INSTALL"' \
    '"Data"="REP_CDROM\\data \"q\""' '[HKEY_CURRENT_USER\Software\VarnokDemo]' 'REGEDIT4'; do
    printf '\x28%s' "$line" >"$dir/transfer_lines/$((n += 1))"
done
for text in 'D:\Games\Maker\Game' 'D:/Games//x' '\\server\share' 'Games\' 'C:\' '\x83\x5c\x83\x5c\Game'; do
    printf "\\x0$((n++ % 8))$text" >"$dir/destination/$n"
done

# Program files: a PE32 and a PE32+ whose one section holds a manifest
# resource, bare, carrying the small archive, and that signed.
python3 - "$dir/pe_file" "$dir/archive_walk/small6.arc" <<'PY'
import struct, sys
out, archive = sys.argv[1], open(sys.argv[2], "rb").read()
for plus in (False, True):
    pe = bytearray(0x400)
    manifest = b'<assembly>\n  <assemblyIdentity name="Pelladrover.exe"/>\n</assembly>'
    opt, d = 0x58, 0x58 + (112 if plus else 96)
    s, r = opt + (240 if plus else 224), 0x200
    for at, value in [(0, 0x5A4D), (0x3C, 0x40), (0x40, 0x4550), (0x44, (0x8664 if plus else 0x14C) | 1 << 16),
                      (0x54, (240 if plus else 224) | 0x0102 << 16), (opt, 0x20B if plus else 0x10B), (opt + 60, 0x200),
                      (d - 4, 16), (d + 16, 0x1000), (d + 20, 0x200), (s + 8, 0x200), (s + 12, 0x1000),
                      (s + 16, 0x200), (s + 20, r), (r + 12, 1 << 16), (r + 16, 24), (r + 20, 0x80000018),
                      (r + 0x24, 1 << 16), (r + 0x28, 1), (r + 0x2C, 0x80000030), (r + 0x3C, 1 << 16),
                      (r + 0x40, 0x411), (r + 0x44, 0x48), (r + 0x48, 0x1058), (r + 0x4C, len(manifest))]:
        struct.pack_into("<I", pe, at, value)
    pe[r + 0x58:r + 0x58 + len(manifest)] = manifest
    carrying = pe + archive + struct.pack("<I", len(pe))
    carrying += bytes(-len(carrying) % 8)
    signed = bytearray(carrying)
    struct.pack_into("<II", signed, d + 32, len(signed), 16)
    signed += struct.pack("<IHH", 16, 0x0200, 2) + bytes(8)
    name = "pe32plus" if plus else "pe32"
    for suffix, data in (("", pe), ("-carrying", carrying), ("-signed", signed)):
        open(f"{out}/{name}{suffix}.exe", "wb").write(data)
PY
