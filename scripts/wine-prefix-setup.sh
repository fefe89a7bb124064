#!/bin/sh
# Prepares a Wine prefix for the project's programs, making it if need be;
# run it in every prefix the project makes. Quick when already prepared.
#
#   WINEPREFIX=PREFIX WINE=WINE-COMMAND scripts/wine-prefix-setup.sh
#
# WINE names the wine command (/usr/lib/wine/wine64 here, wine on a system
# with 32-bit Wine). It
# - leaves windows unmanaged: with no window manager on Xvfb, the managed
#   kind makes each dialog's showing and closing wait, a whole install 14 s
#   instead of 3;
# - puts Wine's Marlett (fonts-wine), which draws the captions' buttons, in
#   the prefix's Fonts folder: this Wine looks for it nowhere else, and
#   without it every close box shows an "r";
# - has the fonts our dialogs and Wine's own boxes ask for (ＭＳ Ｐゴシック in
#   every template, MS UI Gothic behind MS Shell Dlg in a Japanese locale,
#   and ＭＳ ゴシック) drawn with the IPA fonts of the same shapes, not
#   whatever stand-in Wine would pick, so that screens measure and look as
#   on Windows.
set -eu

: "${WINEPREFIX:?wine-prefix-setup: set WINEPREFIX to the prefix}"
: "${WINE:?wine-prefix-setup: set WINE to the wine command}"

marlett=/usr/share/wine/fonts/marlett.ttf
fonts=$WINEPREFIX/drive_c/windows/Fonts
# The family names fonts-ipafont-gothic installs (fc-list), proportional and fixed.
proportional=IPAPGothic
fixed=IPAGothic

# Wine keeps the registry as text and writes characters outside ASCII as
# \xNNNN: these lines are what a prepared user.reg holds.
holds() { grep -sqxF -- "$1" "$WINEPREFIX/user.reg"; }
if [ -f "$fonts/marlett.ttf" ] && holds '"Managed"="N"' &&
    holds '"\xff2d\xff33 \xff30\x30b4\x30b7\x30c3\x30af"="'$proportional'"' &&
    holds '"\xff2d\xff33 \x30b4\x30b7\x30c3\x30af"="'$fixed'"' &&
    holds '"MS UI Gothic"="'$proportional'"'; then
    exit 0
fi

ipa=/usr/share/fonts/opentype/ipafont-gothic
for file in "$marlett" "$ipa/ipagp.ttf" "$ipa/ipag.ttf"; do
    if [ ! -f "$file" ]; then
        echo "wine-prefix-setup: $file is missing: install fonts-wine and fonts-ipafont-gothic" >&2
        exit 1
    fi
done
# A registry file in UTF-16 carries the Japanese names whatever the code page
# the import runs under.
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
    printf '\377\376'
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        "\"ＭＳ Ｐゴシック\"=\"$proportional\"" \
        "\"ＭＳ ゴシック\"=\"$fixed\"" \
        "\"MS UI Gothic\"=\"$proportional\"" '' | iconv -f UTF-8 -t UTF-16LE
} >"$reg"
# Wine makes the prefix first if there is none.
if ! "$WINE" regedit /S "Z:$reg" >/dev/null 2>&1; then
    echo "wine-prefix-setup: $WINE regedit could not import the settings into $WINEPREFIX" >&2
    exit 1
fi
mkdir -p "$fonts"
cp "$marlett" "$fonts/marlett.ttf"

# Read back through Wine itself: a name mangled on the way would not be found.
for name in 'ＭＳ Ｐゴシック' 'ＭＳ ゴシック' 'MS UI Gothic'; do
    if ! LC_ALL=C.UTF-8 "$WINE" reg query 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" >/dev/null 2>&1; then
        echo "wine-prefix-setup: the font replacement for $name did not reach $WINEPREFIX" >&2
        exit 1
    fi
done
