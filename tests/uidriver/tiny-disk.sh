#!/bin/sh
# Mounts a small tmpfs for scenarios that need a disk that fills up, or unmounts it again.
# CTest runs it as the setup and cleanup of the fixture "ui_tiny_disk"; a Windows test maps the
# folder to a drive letter (ui::ScopedWineDrive) and finds it in KRZ_TINY_DISK. Needs root.
# Usage: tiny-disk.sh mount <folder> <size such as 256k> | tiny-disk.sh unmount <folder>
set -eu
case "${1:-}" in
mount)
    mkdir -p "$2"
    if ! mountpoint -q "$2"; then
        mount -t tmpfs -o size="$3",mode=0777 krz-tiny-disk "$2"
    fi
    ;;
unmount)
    if mountpoint -q "$2"; then
        umount "$2"
    fi
    ;;
*)
    echo "usage: $0 mount <folder> <size> | unmount <folder>" >&2
    exit 2
    ;;
esac
