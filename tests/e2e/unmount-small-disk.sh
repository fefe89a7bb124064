#!/bin/sh
# Removes the small Wine drive T: that make-install-games.sh made:
#   unmount-small-disk.sh OUTDIR
out=$1
if [ -n "${WINEPREFIX:-}" ] && [ -L "$WINEPREFIX/dosdevices/t:" ]; then
    rm -f "$WINEPREFIX/dosdevices/t:"
fi
if mountpoint -q "$out/smalldisk" 2>/dev/null; then
    umount "$out/smalldisk"
fi
exit 0
