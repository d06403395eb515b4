#!/usr/bin/env bash
# Configures and builds every target: the host side (plain and with sanitizers) and the
# Windows side for x86_64 (tested under Wine) and i686 (the release).
# Usage: scripts/build.sh [build-root]   (default: build/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
jobs=$(nproc)

configure() { # dir, extra cmake arguments...
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    fi
}

configure "$root/host"
cmake --build "$root/host" -j "$jobs"

configure "$root/host-asan" -DKRZ_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build "$root/host-asan" -j "$jobs"

packer="$root/host/tools/krzpack"
for arch in x86_64 i686; do
    dir="$root/win-$arch"
    configure "$dir" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" -DKRZ_PACKER="$packer"
    cmake --build "$dir" -j "$jobs"
done
