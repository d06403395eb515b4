#!/bin/sh
# Mounts a small tmpfs for the Windows tests that need a disk that fills up, afresh (a mount left
# by an interrupted run goes first), or unmounts it again. CTest runs it as the setup and cleanup
# of the fixtures "full_disk" (drive T: of the test prefix, the link given) and "ui_tiny_disk"
# (a test maps the folder to a drive letter itself). Mounting needs root; when it is impossible,
# the setup fails, and with it the tests that need the disk.
# Usage: tmpfs-disk.sh mount <folder> <tmpfs options> [<wine-run wrapper> <drive link>]
#        tmpfs-disk.sh unmount <folder> [<drive link>]
set -eu
usage() {
    echo "usage: $0 mount <folder> <tmpfs options> [<wine-run> <drive link>]" >&2
    echo "       $0 unmount <folder> [<drive link>]" >&2
    exit 2
}
case "${1:-}" in
mount)
    if [ $# -ne 3 ] && [ $# -ne 5 ]; then usage; fi
    dir=$2
    if [ $# -eq 5 ] && [ ! -d "$(dirname "$5")" ]; then
        # Wine makes drives C: and Z: only in a prefix without dosdevices/: boot it first.
        "$4" cmd.exe /c exit
    fi
    mkdir -p "$dir"
    if mountpoint -q "$dir"; then
        umount "$dir"
    fi
    if ! mount -t tmpfs -o "$3" krz-test-disk "$dir"; then
        echo "tmpfs-disk: cannot mount a tmpfs on $dir; the tests that need it need root" >&2
        exit 1
    fi
    if [ $# -eq 5 ]; then
        ln -sfn "$dir" "$5"
    fi
    ;;
unmount)
    if [ $# -ne 2 ] && [ $# -ne 3 ]; then usage; fi
    if [ $# -eq 3 ]; then
        rm -f "$3"
    fi
    if mountpoint -q "$2"; then
        umount "$2"
    fi
    rmdir "$2" 2>/dev/null || true
    ;;
*)
    usage
    ;;
esac
