#!/bin/sh
# Mounts (setup) or removes (cleanup) the small tmpfs that the full-disk tests see as drive T:
# of the test prefix. Mounting needs root; when it is impossible, setup fails, and with it the
# tests that need the drive.
# Usage: full-disk.sh setup|cleanup <mount point> <wine prefix> <wine-run wrapper>
set -eu
action=$1 dir=$2 prefix=$3 wine_run=$4
link="$prefix/dosdevices/t:"

case $action in
setup)
    # Wine makes drives C: and Z: only in a prefix without dosdevices/: boot it first.
    if [ ! -d "$prefix/dosdevices" ]; then
        "$wine_run" cmd.exe /c exit
    fi
    mkdir -p "$dir"
    if mountpoint -q "$dir"; then
        umount "$dir"
    fi
    if ! mount -t tmpfs -o size=4m,nr_inodes=64,mode=0755 krz-full-disk "$dir"; then
        echo "full-disk: cannot mount a tmpfs on $dir; the full-disk tests need root" >&2
        exit 1
    fi
    ln -sfn "$dir" "$link"
    echo "full-disk: drive T: is a 4 MB tmpfs at $dir"
    ;;
cleanup)
    rm -f "$link"
    if mountpoint -q "$dir"; then
        umount "$dir"
    fi
    rmdir "$dir" 2>/dev/null || true
    ;;
*)
    echo "usage: $0 setup|cleanup <mount point> <wine prefix> <wine-run>" >&2
    exit 2
    ;;
esac
