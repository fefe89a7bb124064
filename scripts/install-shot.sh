# Sourced after wine-session.sh by demo.sh: a whole install, then its
# uninstall, photographed.
#
#   install_shot BUILD INSTALLER FOLDER SHOTDIR
#   uninstall_shot BUILD FOLDER SHOTDIR
#
# Both run the win64 build's varnok_install_tool, which pauses at each
# window; each is saved as SHOTDIR/<n>-<step>.png (1-menu, 2-setup, 3-box for
# the confirmation, 5-shortcut, 6-end; 4 is left for the copy window, which a
# small game passes too fast; 7-uninstall, 8-uninstalled for the
# uninstaller's question and end box), trimmed to the window, before the tool
# answers it. The install goes to FOLDER with the desktop link made and the
# readme left closed (a viewer under Wine is not something the demo can count
# on); the uninstall presses OK with the saves kept. Each prints the
# program's exit code and fails unless it is 0.
source "$(dirname "${BASH_SOURCE[0]}")/shot-session.sh"

shots_of() {  # BUILD SHOTDIR TOOL-ARGUMENTS...: the tool run, a READY folder added
    local build=$1 shots=$2
    shift 2
    local tool=$build/tests/e2e/varnok_install_tool.exe
    [ -f "$tool" ] || { echo "install-shot: $tool is missing: build the win64 preset first" >&2; return 1; }
    shot_captions
    local ready n step
    ready=$(mktemp -d)
    mkdir -p "$shots"
    # Output to a file: a pipe would stay open in the Wine processes it starts.
    "$WINE64" "$tool" "$@" "Z:$ready" >"$ready.log" 2>/dev/null &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        for step in "$ready"/*; do
            [ -e "$step" ] || continue
            sleep 0.7  # let it paint
            case $(basename "$step") in
                menu) n=1 ;; setup) n=2 ;; box) n=3 ;; shortcut) n=5 ;; end) n=6 ;; uninstall) n=7 ;; *) n=8 ;;
            esac
            shot_take "$shots/$n-$(basename "$step").png"
            rm -f "$step"
        done
        sleep 0.1
    done
    local status=0
    wait "$pid" || status=$?
    tr -d '\r' <"$ready.log"
    rm -rf "$ready" "$ready.log"
    return "$status"
}

install_shot() { shots_of "$1" "$4" show "Z:$2" "$3"; }
uninstall_shot() { shots_of "$1" "$3" uninstall "$2"; }
