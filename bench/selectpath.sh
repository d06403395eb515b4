#!/usr/bin/env bash
# Benchmark of the Select Path dialog under Wine on a folder holding many subfolders: the time
# to open the dialog on it, to expand it, and to open the dialog on a folder inside it (which
# lists it while opening). The folders are made on the host, in a temporary folder mapped to
# drive K:. Prints a table; asserts nothing.
# Usage: bench/selectpath.sh [--subfolders N] [--runs N] [--installer FILE]
#   (defaults: 10000 subfolders, 3 runs, this build's installer; FILE is another build's
#   krzsetup.exe, to compare two builds in the same conditions)
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KRZ_BUILD:-$top/build/win-x86_64}
count=10000
runs=3
installer=()
while [ $# -gt 0 ]; do
    case $1 in
    --subfolders) count=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --installer) installer=(--installer "Z:$(realpath "$2" | tr / '\\')"); shift 2 ;;
    *) echo "usage: bench/selectpath.sh [--subfolders N] [--runs N] [--installer FILE]" >&2; exit 2 ;;
    esac
done
cmake --build "$build" --target selectpath_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/Big"
(cd "$work/Big" && seq -f 'Folder %05g' 1 "$count" | xargs -d '\n' mkdir)

echo "Machine: $(nproc) processors; load $(cut -d' ' -f1-3 /proc/loadavg)"
xvfb-run -a -s "-screen 0 1024x768x24" \
    "$build/wine-run" "$build/bench/selectpath_bench.exe" "$work" --runs "$runs" "${installer[@]}"
