# Sourced by the scripts that run Windows programs: one Xvfb display and one
# initialised Wine prefix shared by every program of the run.
# Inside scripts/vm32.sh, WINE and VARNOK_WINEPREFIX name its 32-bit Wine and prefix.
WINE64=${WINE:-/usr/lib/wine/wine64}
VARNOK_SCRIPTS=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

wine_session_start() {  # $1: the build folder that holds the prefix
    export LC_ALL=ja_JP.UTF-8
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
    export WINEPREFIX="${VARNOK_WINEPREFIX:-$1/wineprefix}"
    if [ -z "${DISPLAY:-}" ]; then
        local n=99
        while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        VARNOK_XVFB_PID=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-session: creating prefix $WINEPREFIX"
        "$WINE64" wineboot -i >/dev/null 2>&1 || true
    fi
    WINE="$WINE64" "$VARNOK_SCRIPTS/wine-prefix-setup.sh" || { wine_session_stop; return 1; }
    /usr/lib/wine/wineserver -w 2>/dev/null || true
}

wine_session_stop() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    if [ -n "${VARNOK_XVFB_PID:-}" ]; then
        kill "$VARNOK_XVFB_PID" 2>/dev/null || true
    fi
}
