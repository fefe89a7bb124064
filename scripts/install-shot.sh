# Sourced after wine-session.sh by demo.sh: a whole install photographed.
#
#   install_shot BUILD INSTALLER FOLDER SHOTDIR
#
# Runs the installer through the win64 build's varnok_install_tool, which
# pauses at each window; each is saved as SHOTDIR/<n>-<step>.png (1-menu,
# 2-setup, 3-box for the confirmation, 5-shortcut, 6-end; 4 is left for the
# copy window, which a small game passes too fast), trimmed to the window,
# before the tool answers it: the install goes to FOLDER with the desktop
# link made and the readme left closed (a viewer under Wine is
# not something the demo can count on). Prints the installer's exit code.
install_shot() {
    local build=$1 installer=$2 folder=$3 shots=$4
    local tool=$build/tests/e2e/varnok_install_tool.exe
    [ -f "$tool" ] || { echo "install-shot: $tool is missing: build the win64 preset first" >&2; return 1; }
    # Xvfb has no window manager to draw the caption: let Wine draw it.
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    local ready n step
    ready=$(mktemp -d)
    mkdir -p "$shots"
    # Output to a file: a pipe would stay open in the Wine processes it starts.
    "$WINE64" "$tool" show "Z:$installer" "$folder" "Z:$ready" >"$ready.log" 2>/dev/null &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null; do
        for step in "$ready"/*; do
            [ -e "$step" ] || continue
            sleep 0.7  # let it paint
            case $(basename "$step") in
                menu) n=1 ;; setup) n=2 ;; box) n=3 ;; shortcut) n=5 ;; *) n=6 ;;
            esac
            import -display "$DISPLAY" -window root -trim +repage "$shots/$n-$(basename "$step").png"
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
