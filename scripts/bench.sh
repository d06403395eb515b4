#!/usr/bin/env bash
# Benchmarks the codec on a fixed corpus of files found on this machine (Wine's PE binaries,
# a text, a shared library, the sample files): sizes against mscompress and the exact
# optimum, encoder and decoder throughput against mscompress and msexpand.
# Usage: scripts/bench.sh [build-root]   (default: build/)
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}

"$top/scripts/setup.sh"
if [ ! -f "$root/host/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$root/host" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$root/host" --target krz_bench -j "$(nproc)" >/dev/null

wine=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
corpus=(
    "$wine/notepad.exe"
    "$wine/winhlp32.exe"
    "$wine/cmd.exe"
    "$wine/comctl32.dll"
    /usr/share/common-licenses/GPL-3
    /usr/lib/x86_64-linux-gnu/libc.so.6
    "$top/sample/KRZ.exe"
    "$top/sample/KRZ.hlp"
)
for f in "${corpus[@]}"; do
    if [ ! -f "$f" ]; then
        echo "bench: corpus file missing: $f (scripts/setup.sh installs its package)" >&2
        exit 1
    fi
done
echo "Machine: $(nproc) processors; load $(cut -d' ' -f1-3 /proc/loadavg)"
"$root/host/bench/krz_bench" "${corpus[@]}"
