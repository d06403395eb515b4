#!/usr/bin/env bash
# Regenerates the sample application files from sample/src: the two executables with the
# i686 mingw-w64 compiler (static, stripped, no time stamp in the header, so a rebuild gives
# the same bytes; the uninstaller built for size), the help file with a host program. KRZ.cnt is written by hand.
# Usage: sample/make-sample.sh
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cc=i686-w64-mingw32-gcc-posix
flags=(-O2 -s -mwindows -static -Wall -Wextra -Werror -Wl,--no-insert-timestamp)
"$cc" "${flags[@]}" "$here/src/KrzApp.c" -o "$work/KRZ.exe" -lcomdlg32
# The uninstaller without the C run-time library: its own entry point, no start-up code, no
# unwind tables, only the system's DLLs (and so nothing that Windows 95 and NT 4.0 lack).
"$cc" "${flags[@]/-O2/-Os}" -nostdlib -nostartfiles -fno-asynchronous-unwind-tables \
    "$here/src/Uninstall.c" -o "$work/Uninstall.exe" -lole32 -luser32 -ladvapi32 -lkernel32
c++ -std=c++17 -O2 -Wall -Wextra -Werror "$here/src/MakeHelp.cpp" -o "$work/MakeHelp"
"$work/MakeHelp" "$work/KRZ.hlp"

for f in KRZ.exe KRZ.hlp Uninstall.exe; do
    mv "$work/$f" "$here/$f"
done
ls -l "$here"/KRZ.exe "$here"/KRZ.hlp "$here"/KRZ.cnt "$here"/Uninstall.exe
