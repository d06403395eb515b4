#!/usr/bin/env bash
# Configures and builds every target: the host side (plain and with sanitizers), the codec and
# the packer under clang's UBSan, and the Windows side for x86_64 (tested under Wine) and i686
# (the release).
# Usage: scripts/build.sh [build-root]   (default: build/)
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
jobs=$(nproc)

. "$top/scripts/configure.sh"

krz_configure "$root/host" >/dev/null
cmake --build "$root/host" -j "$jobs"

krz_configure "$root/host-asan" -DKRZ_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/host-asan" -j "$jobs"

# clang's UBSan finds what GCC's does not (a pointer formed outside its array, for one); it
# stops at the first report. The codec's corpus replays and the packer's tests (which pack and
# expand the sample files) run under it.
CC=clang CXX=clang++ krz_configure "$root/host-clang-ubsan" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-fsanitize=undefined -fno-sanitize-recover=all" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=undefined" >/dev/null
cmake --build "$root/host-clang-ubsan" -j "$jobs" --target expand_fuzzer_replay \
    compress_fuzzer_replay pe_fuzzer_replay tools_tests

packer="$root/host/tools/krzpack"
for arch in x86_64 i686; do
    dir="$root/win-$arch"
    krz_configure "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" \
        -DKRZ_PACKER="$packer" >/dev/null
    cmake --build "$dir" -j "$jobs"
done
