#!/bin/bash
# Starts a packed installer under Wine.
#
#   scripts/run-installer.sh INSTALLER [SCREENSHOT.png]
#
# With a display the installer runs there until it ends. Without one it runs
# under Xvfb: after VARNOK_SHOT_DELAY seconds (default 8) a screenshot of the
# screen is saved (default out/installer.png), the installer is ended, and
# the screenshot's path is printed. The Wine prefix lives in the win64 build
# folder, VARNOK_BUILD (default build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ $# -lt 1 ] || [ ! -f "$1" ]; then
    echo "usage: scripts/run-installer.sh INSTALLER [SCREENSHOT.png]" >&2
    exit 2
fi
installer=$(realpath "$1")
shot=$(realpath -m "${2:-out/installer.png}")
delay=${VARNOK_SHOT_DELAY:-8}

source scripts/wine-session.sh
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
wine_session_start "$root/${VARNOK_BUILD:-build/win64}"
trap wine_session_stop EXIT

if [ "$headless" = 0 ]; then
    status=0
    "$WINE64" "$installer" || status=$?
    echo "run-installer: the installer ended with exit code $status"
    exit 0
fi

"$WINE64" "$installer" &
pid=$!
for _ in $(seq $((delay * 10))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
mkdir -p "$(dirname "$shot")"
import -display "$DISPLAY" -window root "$shot"
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "run-installer: the installer was ended after $delay s"
else
    status=0
    wait "$pid" || status=$?
    echo "run-installer: the installer ended by itself with exit code $status"
fi
echo "$shot"
