#!/usr/bin/env bash
# Builds the fuzzers with clang and libFuzzer (plus AddressSanitizer and UBSan, which stops at
# its first report, so libFuzzer keeps the input) and runs each for a while on its corpus in
# fuzz/corpus/, which keeps what it finds.
# Usage: scripts/fuzz.sh [seconds per fuzzer]   (default 60)
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
dir="$top/build/fuzz"

"$top/scripts/setup.sh"
if [ ! -f "$dir/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DKRZ_FUZZ=ON -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" >/dev/null
fi
for fuzzer in expand_fuzzer compress_fuzzer pe_fuzzer; do
    cmake --build "$dir" --target "$fuzzer" -j "$(nproc)" >/dev/null
    mkdir -p "$top/fuzz/corpus/$fuzzer"
    echo "fuzz: $fuzzer for ${seconds}s"
    "$dir/fuzz/$fuzzer" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
        "$top/fuzz/corpus/$fuzzer"
done
