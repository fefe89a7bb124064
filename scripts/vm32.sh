#!/bin/bash
# An emulated x86_64 machine that runs the shipped i686 programs under 32-bit
# Wine (this machine's kernel runs no 32-bit programs). Built once from
# Debian packages into build/vm32 (kernel, initrd, root image with a
# ready 32-bit Wine prefix), again only when its recipe changes.
#
#   scripts/vm32.sh build                     build the machine if needed
#   scripts/vm32.sh run DIR COMMAND [ARGS...] boot, run COMMAND in DIR, power off
#   scripts/vm32.sh start SPOOL SHARE         boot in the background, SHARE shared
#   scripts/vm32.sh exec SPOOL COMMAND...     run COMMAND in the running machine
#   scripts/vm32.sh stop SPOOL                power the running machine off
#
# DIR and SHARE are shared with the machine at the same absolute path, so what
# COMMAND changes there is on the host when it ends. Inside: wine runs 32-bit
# programs (WINEARCH=win32), LC_ALL=ja_JP.UTF-8, WINEDEBUG=-all, an Xvfb
# display; the root disk is a throw-away copy, every boot starts clean.
# exec forwards the current folder and the VARNOK_* and GTEST_* variables,
# streams the output and exits with COMMAND's status. Time limits:
# VARNOK_VM32_TIMEOUT seconds for one command (default 1800), 600 for a boot.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=$(dirname "$here")/build/vm32
suite_packages="wine wine32:i386 wine64 xvfb xauth x11-apps imagemagick fonts-ipafont-gothic fonts-wine
  locales busybox-static libasan8 libubsan1 libdeflate0 zlib1g python3 osslsigncode openssl"
# Block device, root file system and shared folders; what the kernel has
# built in is skipped.
modules="virtio virtio_ring virtio_pci_modern_dev virtio_pci_legacy_dev virtio_pci virtio_blk
  crc16 crc32c_generic mbcache jbd2 ext4 fscache netfs 9pnet 9pnet_virtio 9p"

die() { echo "vm32: $*" >&2; exit 1; }

# Two stages, each made again only when what it is made of changes: the base
# (Debian system, packages, kernel) and the machine (its own programs, initrd,
# Wine prefix).
base_recipe() {
    { declare -f build_base; echo "$suite_packages $modules"; cat "$here/debian-mirror.sh"; } | sha256sum | cut -c1-16
}
recipe() {
    { base_recipe; declare -f vm_build make_initrd
      cat "$here"/vm32/* "$here/wine-prefix-setup.sh"; } | sha256sum | cut -c1-16
}

need_tools() {
    [ "$(id -u)" = 0 ] || die "building the machine needs root (debootstrap, chroot)"
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || die "$tool is missing: run scripts/install-deps.sh"
    done
}

# The Debian system with Wine and the rest as base.img, the kernel and the
# modules the initrd loads in base/.
build_base() {
    need_tools debootstrap mkfs.ext4 dpkg
    . "$here/debian-mirror.sh"
    local mirror suite start=$SECONDS
    mirror=$(debian_archive_uri)
    suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
    echo "vm32: building the base system in $cache ($suite from $mirror)"
    rm -rf "$cache"
    local work=$cache/work
    local rootfs=$work/rootfs
    mkdir -p "$work" "$cache/base/modules"
    debootstrap --variant=minbase "$suite" "$rootfs" "$mirror" > "$work/debootstrap.log" 2>&1 ||
        { tail -n 20 "$work/debootstrap.log" >&2; die "debootstrap failed (log: $work/debootstrap.log)"; }
    echo "vm32: base system ready ($((SECONDS - start)) s); installing Wine and the rest"
    mount -t proc proc "$rootfs/proc"
    trap 'umount "$rootfs/proc" 2>/dev/null || true' EXIT
    # apt's own words are parsed below: not in the caller's language.
    LC_ALL=C chroot "$rootfs" /bin/sh -eu -c "
        dpkg --add-architecture i386
        # As in install-deps: a mirror mid-sync fails an index now and then.
        apt-get update -q || { sleep 15; apt-get update -q; } || { sleep 15; apt-get update -q; } ||
            echo 'vm32: apt-get update failed 3 times; installing from the indexes it has'
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $(echo $suite_packages)
        sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        locale-gen
        cd /tmp && apt-get download -q \$(apt-cache depends linux-image-amd64 | sed -n 's/.*Depends: \(linux-image-[0-9].*\)/\1/p' | head -n 1)
        apt-get clean" > "$work/packages.log" 2>&1 ||
        { tail -n 20 "$work/packages.log" >&2; die "installing the machine's packages failed (log: $work/packages.log)"; }
    umount "$rootfs/proc"
    trap - EXIT
    dpkg -x "$rootfs"/tmp/linux-image-*.deb "$work/kernel"
    rm -f "$rootfs"/tmp/linux-image-*.deb
    local kver moddir m f
    kver=$(ls "$work/kernel/lib/modules")
    moddir=$work/kernel/lib/modules/$kver
    cp "$work/kernel/boot/vmlinuz-$kver" "$cache/base/vmlinuz"
    cp "$rootfs/bin/busybox" "$cache/base/busybox"
    # In load order; what the kernel has built in is left out.
    for m in $modules; do
        grep -q "/$m\.ko" "$moddir/modules.builtin" && continue
        f=$(find "$moddir/kernel" -name "$m.ko*" | head -n 1)
        [ -n "$f" ] || die "the kernel has no module $m"
        cp "$f" "$cache/base/modules/"
        basename "$f" >> "$cache/base/modules/order"
    done
    mkfs.ext4 -q -F -L vm32 -d "$rootfs" "$cache/base.img" 6G
    rm -rf "$work"
    base_recipe > "$cache/base.recipe"
    echo "vm32: base image made in $((SECONDS - start)) s"
}

vm_build() {
    local want
    want=$(recipe)
    if [ "$(cat "$cache/recipe" 2>/dev/null)" = "$want" ]; then
        return 0
    fi
    need_tools qemu-system-x86_64 debugfs cpio
    [ "$(cat "$cache/base.recipe" 2>/dev/null)" = "$(base_recipe)" ] || build_base
    local start=$SECONDS
    echo "vm32: making the machine from the base image; creating the 32-bit Wine prefix inside"
    rm -f "$cache/recipe"
    cp --sparse=always "$cache/base.img" "$cache/root.img"
    # Written into the image without mounting it.
    debugfs -w -f - "$cache/root.img" > /dev/null 2>&1 <<DEBUGFS
cd /usr/local/sbin
rm vm32-guest
rm wine-prefix-setup
write $here/vm32/guest.sh vm32-guest
sif vm32-guest mode 0100755
write $here/wine-prefix-setup.sh wine-prefix-setup
sif wine-prefix-setup mode 0100755
DEBUGFS
    debugfs -R 'stat /usr/local/sbin/vm32-guest' "$cache/root.img" 2>/dev/null | grep -q 'Size:' ||
        die "could not write the machine's programs into $cache/root.img"
    make_initrd "$cache/initrd"
    local spool=$cache/prepare
    rm -rf "$spool"
    mkdir -p "$spool"
    boot "$spool" "" prepare off
    wait_ready "$spool"
    vm_stop "$spool"
    debugfs -R 'stat /root/.wine/system.reg' "$cache/root.img" 2>/dev/null | grep -q 'Size:' ||
        die "the Wine prefix was not made (console: $spool/console.log)"
    rm -rf "$spool"
    echo "$want" > "$cache/recipe"
    echo "vm32: machine made in $((SECONDS - start)) s"
}

make_initrd() {  # output
    local dir=$cache/initrd.d
    rm -rf "$dir"
    mkdir -p "$dir/bin" "$dir/dev" "$dir/proc" "$dir/sys" "$dir/newroot"
    cp "$cache/base/busybox" "$dir/bin/busybox"
    cp -r "$cache/base/modules" "$dir/modules"
    install -m 755 "$here/vm32/initrd-init" "$dir/init"
    (cd "$dir" && find . | cpio -o -H newc --quiet | gzip -1) > "$1"
    rm -rf "$dir"
}

# boot SPOOL SHARE MODE SNAPSHOT: starts the machine in the background; its
# console goes to SPOOL/console.log.
boot() {
    local spool=$1 share=$2 mode=$3 snapshot=$4
    case "$share$spool" in *[[:space:]]*) die "shared folders must have no spaces in their path: $share $spool";; esac
    local args=(-accel tcg,thread=multi -smp 2 -m 3072 -nographic -no-reboot -nic none
        -kernel "$cache/base/vmlinuz" -initrd "$cache/initrd"
        -drive "file=$cache/root.img,format=raw,if=virtio,snapshot=$snapshot"
        -fsdev "local,id=spool,path=$spool,security_model=none"
        -device virtio-9p-pci,fsdev=spool,mount_tag=spool)
    local cmdline="console=ttyS0 quiet panic=-1 vm32.mode=$mode"
    if [ -n "$share" ]; then
        args+=(-fsdev "local,id=share,path=$share,security_model=none" -device virtio-9p-pci,fsdev=share,mount_tag=share)
        # Wine maps programs from the shared folder: with cache=mmap it read
        # wrong pages of them.
        cmdline="$cmdline vm32.share=$share vm32.cache=${VARNOK_VM32_CACHE:-loose}"
    fi
    rm -f "$spool/ready" "$spool/stop" "$spool/console.log"
    setsid qemu-system-x86_64 "${args[@]}" -append "$cmdline" < /dev/null > "$spool/console.log" 2>&1 &
    echo $! > "$spool/qemu.pid"
}

running() { kill -0 "$(cat "$1/qemu.pid" 2>/dev/null)" 2>/dev/null; }

wait_ready() {  # SPOOL
    local start=$SECONDS
    while [ ! -e "$1/ready" ]; do
        if ! running "$1" || [ $((SECONDS - start)) -gt 600 ]; then
            tail -n 30 "$1/console.log" >&2
            running "$1" && kill "$(cat "$1/qemu.pid")"
            die "the machine did not come up (console: $1/console.log)"
        fi
        sleep 0.5
    done
    echo "vm32: up in $((SECONDS - start)) s"
}

vm_start() {  # SPOOL SHARE
    [ -d "$2" ] || die "no folder $2 to share"
    vm_build
    mkdir -p "$1"
    local spool share
    spool=$(cd "$1" && pwd) share=$(cd "$2" && pwd)
    # One left by an interrupted run goes first.
    vm_stop "$spool"
    rm -f "$spool"/*.job "$spool"/*.run "$spool"/*.out "$spool"/*.status
    boot "$spool" "$share" serve on
    wait_ready "$spool"
}

vm_stop() {  # SPOOL
    running "$1" || return 0
    touch "$1/stop"
    local start=$SECONDS
    while running "$1"; do
        if [ $((SECONDS - start)) -gt 120 ]; then
            kill "$(cat "$1/qemu.pid")"
            die "the machine did not power off; stopped it"
        fi
        sleep 0.5
    done
    grep -q 'vm32: powering off' "$1/console.log" || die "the machine ended without a clean power-off (console: $1/console.log)"
}

# Jobs whose host side is gone (a test runner's SIGKILL skips the trap
# below) are cancelled, so that they hold up no later job, and their files
# removed once they have ended. A job's id begins with its host process's id.
cancel_orphans() {  # SPOOL
    local f id host
    for f in "$1"/*.job "$1"/*.run; do
        [ -e "$f" ] || continue
        id=${f%.*} host=${f##*/}
        kill -0 "${host%%.*}" 2>/dev/null && continue
        if [ -e "$id.status" ]; then
            rm -f "$id.run" "$id.out" "$id.status" "$id.cancel"
        else
            rm -f "$id.job"
            touch "$id.cancel"
        fi
    done
}

# exec SPOOL COMMAND...: the command becomes a job file the machine runs in
# turn; its output file is followed until its status file appears.
vm_exec() {
    local spool=$1
    shift
    running "$spool" || die "no machine runs on $spool (scripts/vm32.sh start)"
    cancel_orphans "$spool"
    local id=$$.$RANDOM limit=${VARNOK_VM32_TIMEOUT:-1800}
    local job=$spool/$id
    trap 'touch "$job.cancel"; exit 143' TERM INT
    {
        printf 'cd %q || exit 127\n' "$PWD"
        # A crash ends the program at once instead of waiting in the debugger.
        printf 'export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winedbg.exe=d"\n'
        local v
        for v in $(compgen -e | grep -E '^(VARNOK_|GTEST_)' || true); do
            printf 'export %s=%q\n' "$v" "${!v}"
        done
        printf '%q ' "$@"
        # What it wrote to the shared folder reaches the host before it counts as done.
        printf '\nstatus=$?\nsync\nexit $status\n'
    } > "$job.tmp"
    mv "$job.tmp" "$job.job"
    local start=$SECONDS
    (
        while [ ! -e "$job.status" ] && running "$spool" && [ $((SECONDS - start)) -le "$limit" ]; do sleep 0.2; done
    ) &
    local waiter=$!
    tail -n +1 -F -s 0.2 --pid=$waiter "$job.out" 2>/dev/null || true
    wait $waiter || true
    if [ ! -e "$job.status" ]; then
        running "$spool" || die "the machine stopped while running: $*"
        touch "$job.cancel"
        die "$* ran over $limit s"
    fi
    local status
    status=$(cat "$job.status")
    rm -f "$job.run" "$job.out" "$job.status"
    return "$status"
}

vm_run() {  # DIR COMMAND...
    [ $# -ge 2 ] || die "usage: scripts/vm32.sh run DIR COMMAND [ARGS...]"
    local dir=$1
    shift
    [ -d "$dir" ] || die "no folder $dir"
    dir=$(cd "$dir" && pwd)
    local spool
    vm_build
    spool=$(mktemp -d "$cache/run.XXXXXX")
    trap 'vm_stop "$spool" || true; rm -rf "$spool"' EXIT
    vm_start "$spool" "$dir"
    local status=0
    (cd "$dir" && vm_exec "$spool" "$@") || status=$?
    vm_stop "$spool"
    trap - EXIT
    rm -rf "$spool"
    return "$status"
}

case "${1:-}" in
    build) vm_build ;;
    run) shift; vm_run "$@" ;;
    start) [ $# = 3 ] || die "usage: scripts/vm32.sh start SPOOL SHARE"; vm_start "$2" "$3" ;;
    exec) [ $# -ge 3 ] || die "usage: scripts/vm32.sh exec SPOOL COMMAND..."; spool=$2; shift 2; vm_exec "$spool" "$@" ;;
    stop) [ $# = 2 ] || die "usage: scripts/vm32.sh stop SPOOL"; vm_stop "$2" ;;
    *) die "usage: scripts/vm32.sh build | run DIR COMMAND [ARGS...] | start SPOOL SHARE | exec SPOOL COMMAND... | stop SPOOL" ;;
esac
