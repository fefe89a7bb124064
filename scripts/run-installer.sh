#!/bin/bash
# Starts a packed installer under Wine.
#
#   scripts/run-installer.sh INSTALLER [SCREENSHOT.png]
#
# With a display the installer runs there until it ends. Without one it runs
# under Xvfb: once its launcher window is up, a screenshot of the window is
# saved (default out/installer.png), the launcher's exit button (終了) is
# pressed, and the installer's exit code and the screenshot's path are
# printed. The Wine prefix and the helper that drives the launcher live in
# the win64 build folder, VARNOK_BUILD (default build/win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ $# -lt 1 ] || [ ! -f "$1" ]; then
    echo "usage: scripts/run-installer.sh INSTALLER [SCREENSHOT.png]" >&2
    exit 2
fi
installer=$(realpath "$1")
shot=$(realpath -m "${2:-out/installer.png}")
build=$root/${VARNOK_BUILD:-build/win64}

source scripts/wine-session.sh
headless=0
[ -z "${DISPLAY:-}" ] && headless=1
wine_session_start "$build"
trap wine_session_stop EXIT

if [ "$headless" = 0 ]; then
    status=0
    "$WINE64" "$installer" || status=$?
    echo "run-installer: the installer ended with exit code $status"
    exit 0
fi

source scripts/launcher-shot.sh
launcher_shot "$build" "$installer" "$shot"
echo "$shot"
