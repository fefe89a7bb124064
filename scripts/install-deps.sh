#!/bin/sh
# Installs every Debian package the builds and tests need, and the Japanese
# locale under which Wine names files in Shift-JIS. Safe to run again.
set -eu

PACKAGES="cmake make g++ pkg-config python3 \
  mingw-w64 g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev \
  zlib1g-dev libdeflate-dev libstb-dev googletest \
  g++-multilib lib32z1-dev libdeflate-dev:i386 qemu-user clang libclang-rt-dev \
  wine64 xvfb xauth x11-apps imagemagick fonts-ipafont-gothic locales"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done

SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

# The 32-bit build links Debian's i386 libdeflate.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi

if [ -n "$missing" ]; then
    echo "install-deps: installing$missing"
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $missing
fi

# Wine maps Japanese file names through the Unix locale: without it every
# Shift-JIS name fails with "file not found".
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "install-deps: generating ja_JP.UTF-8"
    $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen
fi
