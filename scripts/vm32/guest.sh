#!/bin/bash
# The machine's init on its root disk. vm32.mode=prepare creates the 32-bit
# Wine prefix once, when the machine is built; vm32.mode=serve mounts the
# shared folder at its host path and runs the job files the host puts in the
# spool, one at a time, until the host asks it to stop. Then a clean power-off.
mount -t proc proc /proc
mount -t sysfs sys /sys
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
hostname vm32
param() { tr ' ' '\n' < /proc/cmdline | sed -n "s/^vm32\.$1=//p"; }
mode=$(param mode)
share=$(param share)
spool=/run/vm32
mkdir -p "$spool"
mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 spool "$spool" ||
    echo "vm32: cannot mount the spool"
if [ -n "$share" ]; then
    mkdir -p "$share"
    mount -t 9p -o "trans=virtio,version=9p2000.L,msize=262144,cache=$(param cache)" share "$share" ||
        echo "vm32: cannot mount $share"
fi

export HOME=/root USER=root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export LC_ALL=ja_JP.UTF-8 WINEARCH=win32 WINEPREFIX=/root/.wine WINEDEBUG=-all WINE=wine WINESERVER=wineserver
# The scripts that share the host's Wine session use this prefix, made with the machine.
export VARNOK_WINEPREFIX=$WINEPREFIX
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export DISPLAY=:99
Xvfb :99 -screen 0 1280x1024x24 -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -e /tmp/.X11-unix/X99 ] && break; sleep 0.1; done

if [ "$mode" = prepare ]; then
    echo "vm32: creating the 32-bit Wine prefix"
    rm -rf "$WINEPREFIX"
    wine wineboot -i > /dev/null 2>&1
    wine-prefix-setup
    # The registry is saved when the server ends; a lingering process would hold it.
    timeout 120 wineserver -w || { echo "vm32: the Wine server lingered; ending it"; wineserver -k; sleep 3; }
    sync
    echo "vm32: prefix made"
fi
touch "$spool/ready" || echo "vm32: cannot reach the spool"
# A job is a shell script; a .cancel file beside it ends it early.
while [ ! -e "$spool/stop" ]; do
    for job in "$spool"/*.job; do
        [ -e "$job" ] || continue
        id=${job%.job}
        mv "$job" "$id.run"
        setsid bash "$id.run" > "$id.out" 2>&1 < /dev/null &
        pid=$!
        while kill -0 $pid 2>/dev/null; do
            [ -e "$id.cancel" ] && kill -- -$pid 2>/dev/null
            sleep 0.2
        done
        wait $pid
        echo $? > "$id.st"
        mv "$id.st" "$id.status"
        rm -f "$id.cancel"
    done
    sleep 0.2
done
wineserver -k 2>/dev/null
kill $xvfb 2>/dev/null
sync
[ -n "$share" ] && umount "$share"
echo "vm32: powering off"
umount "$spool"
mount -o remount,ro /
echo o > /proc/sysrq-trigger
