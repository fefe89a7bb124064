# Sourced after wine-session.sh by the scripts that photograph the launcher.
#
#   launcher_shot BUILD INSTALLER SCREENSHOT.png
#
# Starts the installer through the win64 build's varnok_menu_show, saves a
# screenshot trimmed to the launcher window once it is up, then lets the
# helper press the launcher's exit button and prints the exit code.
source "$(dirname "${BASH_SOURCE[0]}")/shot-session.sh"

launcher_shot() {
    local build=$1 installer=$2 shot=$3
    local show=$build/tests/e2e/varnok_menu_show.exe
    [ -f "$show" ] || { echo "launcher-shot: $show is missing: build the win64 preset first" >&2; return 1; }
    shot_captions
    local ready
    ready=$(mktemp -u)
    "$WINE64" "$show" "Z:$installer" "Z:$ready" &
    local pid=$!
    for _ in $(seq 1200); do
        [ -e "$ready" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -e "$ready" ]; then
        wait "$pid" || true
        echo "launcher-shot: the launcher of $installer never came up" >&2
        return 1
    fi
    sleep 1  # let it paint
    shot_take "$shot"
    rm -f "$ready"
    local status=0
    wait "$pid" || status=$?
    echo "launcher-shot: 終了 pressed, the installer ended with exit code $status"
}
