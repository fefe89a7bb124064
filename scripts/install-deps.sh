#!/bin/sh
# Installs every Debian package the builds and tests need, and the Japanese
# locale under which Wine names files in Shift-JIS. Safe to run again.
set -eu
. "$(dirname "$0")/debian-mirror.sh"

PACKAGES="cmake make g++ pkg-config python3 \
  mingw-w64 g++-mingw-w64-x86-64 g++-mingw-w64-i686 libz-mingw-w64-dev \
  zlib1g-dev libdeflate-dev libstb-dev googletest \
  g++-multilib lib32z1-dev libdeflate-dev:i386 qemu-user clang libclang-rt-dev \
  wine64 fonts-wine xvfb xauth x11-apps imagemagick fonts-ipafont-gothic locales zip dpkg-dev \
  debootstrap qemu-system-x86 cpio osslsigncode openssl"

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
    # A mirror caught mid-sync fails one index now and then; apt keeps the
    # indexes it did fetch, so after a few tries go on and let the install
    # itself say whether a package is out of reach.
    tries=0
    until $SUDO apt-get update -q; do
        tries=$((tries + 1))
        if [ "$tries" = 3 ]; then
            echo "install-deps: apt-get update failed 3 times; installing from the indexes it has" >&2
            break
        fi
        sleep 15
    done
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

# libdeflate for the Windows builds of varnok-pack: Debian ships none for
# MinGW, so its Debian source of the very version the native build links is
# fetched (through a private deb-src list, leaving the system's alone) and
# built by CMake with the MinGW compilers. The same version gives the same
# compressed streams on both platforms.
deps="$(cd "$(dirname "$0")/.." && pwd)/build/deps"
version=$(dpkg-query -W -f='${Version}' "libdeflate-dev:$(dpkg --print-architecture)")
if [ "$(cat "$deps/libdeflate/.version" 2>/dev/null)" != "$version" ]; then
    echo "install-deps: fetching the source of libdeflate $version"
    apt="$deps/apt"
    rm -rf "$apt" "$deps/libdeflate"
    mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial" "$deps/src"
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$(debian_archive_uri)" "$(. /etc/os-release && echo "$VERSION_CODENAME")" > "$apt/parts/source.sources"
    opts="-q -o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=$apt/parts -o Dir::State::Lists=$apt/lists -o Dir::Cache=$apt/cache -o APT::Sandbox::User=root"
    apt-get $opts update >/dev/null
    (cd "$deps/src" && apt-get $opts source "libdeflate=$version" >/dev/null)
    mv "$deps/src/libdeflate-${version%%-*}" "$deps/libdeflate"
    echo "$version" > "$deps/libdeflate/.version"
    rm -rf "$apt" "$deps/src"
fi
