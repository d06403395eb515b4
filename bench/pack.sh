#!/usr/bin/env bash
# Benchmark of making an installer from its stub: `krzpack build` with the sample files, for
# each Windows target that is built, as a whole process (reading, compressing, writing the
# resource section, writing the file). Prints the median and the fastest of N runs; asserts
# nothing.
# Usage: bench/pack.sh [runs]   (default 21)
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
root=${KRZ_BUILD_ROOT:-$top/build}
runs=${1:-21}
krzpack=$root/host/tools/krzpack
cmake --build "$root/host" --target krzpack >/dev/null
work=$(mktemp -d "$root/pack-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
files=("$top"/sample/{KRZ.exe,KRZ.hlp,KRZ.cnt,Uninstall.exe})

for arch in i686 x86_64; do
    stub=$root/win-$arch/product/app/krzsetup-stub.exe
    [ -f "$stub" ] || continue
    times=()
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$krzpack" build "$work/setup.exe" "$stub" "${files[@]}"
        times+=($((($(date +%s%N) - start) / 1000)))
    done
    sorted=$(printf '%s\n' "${times[@]}" | sort -n)
    median=$(sed -n "$(((runs + 1) / 2))p" <<<"$sorted")
    fastest=$(head -n 1 <<<"$sorted")
    awk -v arch="$arch" -v stub="$(stat -c %s "$stub")" -v out="$(stat -c %s "$work/setup.exe")" \
        -v median="$median" -v fastest="$fastest" -v runs="$runs" 'BEGIN {
        printf "%-7s stub %7d bytes -> installer %7d bytes: median %5.1f ms, fastest %5.1f ms (%d runs)\n",
            arch, stub, out, median / 1000, fastest / 1000, runs }'
done
