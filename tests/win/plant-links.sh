#!/bin/sh
# Plants, in the test prefix's drive C:, links the installer must never be
# led through; Wine shows a Unix symbolic link to a folder as a reparse
# point. Runs on Linux:  plant-links.sh NAME
#   C:\NAME\outside\                       stays empty
#   C:\NAME\to-outside -> outside          a destination that is a link
#   C:\NAME\install\data -> outside        a link inside an install folder
#   C:\NAME\unwritable\UserAccountCheck.id\  a folder where the write probe goes
set -eu
prefix=${WINEPREFIX:-${VARNOK_WINEPREFIX:-$HOME/.wine-varnok}}
root="$prefix/drive_c/$1"
rm -rf "$root"
mkdir -p "$root/outside" "$root/install" "$root/unwritable/UserAccountCheck.id"
ln -s "$root/outside" "$root/to-outside"
ln -s "$root/outside" "$root/install/data"
