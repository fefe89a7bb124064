#!/bin/sh
# Settings every Wine prefix of the project gets; safe to run again.
#   WINEPREFIX=... WINE=wine-command scripts/wine-prefix-setup.sh
set -eu
: "${WINEPREFIX:?set WINEPREFIX}" "${WINE:?set WINE to the wine command}"
# Windows left unmanaged: with no window manager on Xvfb, the managed kind
# makes each dialog's showing and closing wait.
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
