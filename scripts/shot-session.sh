# Sourced by the scripts that photograph Windows programs: the Wine session
# of wine-session.sh on a private Xvfb, and the screen saved as a picture.
source "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"

# shot_require NAME FILE...: ends the script when a built file is missing.
shot_require() {
    local name=$1 f
    shift
    for f in "$@"; do
        [ -f "$f" ] || { echo "$name: $f is missing: build the native and win64 presets first" >&2; exit 1; }
    done
}

shot_session_start() {  # $1: the build folder that holds the prefix
    unset DISPLAY
    wine_session_start "$1"
    shot_captions
}

# Xvfb has no window manager to draw the captions: let Wine draw them.
shot_captions() {
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
}

shot_take() {  # $1: the PNG; the screen is empty but for the program's windows: trimmed to them
    mkdir -p "$(dirname "$1")"
    import -display "$DISPLAY" -window root -trim +repage "$1"
}
