#!/usr/bin/env bash
# Benchmark of the file expansion under Wine: each file goes as a one-entry payload through
# the installer's whole path (krz.tmp, LZ32, target, time stamp), compared with a plain copy
# of the expanded file in the same prefix. Prints a table; asserts nothing.
# Usage: bench/expansion.sh [--runs N] [file...]
# Besides a sample-like 909,312-byte executable it measures sample/KRZ.exe when present and a
# PE file of about 900 KB from Wine's own libraries, unless files are given.
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KRZ_BUILD:-$top/build/win-x86_64}
cmake --build "$build" --target expansion_bench >/dev/null

args=()
if [ "${1:-}" = "--runs" ]; then
    args+=(--runs "$2")
    shift 2
fi
files=("$@")
if [ ${#files[@]} -eq 0 ]; then
    [ -f "$top/sample/KRZ.exe" ] && files+=("$top/sample/KRZ.exe")
    pe=$(find /usr/lib/*/wine/*-windows -name '*.dll' -size +850k -size -950k 2>/dev/null |
        sort | head -n 1)
    [ -n "$pe" ] && files+=("$pe")
fi
for f in "${files[@]}"; do
    # The host's root is drive Z: in the prefix.
    args+=("Z:$(realpath "$f" | tr / '\\')")
done
"$build/wine-run" "$build/bench/expansion_bench.exe" "${args[@]}"
