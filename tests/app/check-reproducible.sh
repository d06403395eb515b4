#!/bin/sh
# Builds the product configuration a second time, from a copy of the source tree in another
# folder, and compares every program it ships with the first build's: the same commit must give
# the same bytes wherever and whenever it is built.
# Usage: check-reproducible.sh source-dir product-dir work-dir toolchain-name packer
#   product-dir  the first build (its .exe files outside CMakeFiles and tests/ are what ships)
#   work-dir     emptied, then holds the copy and the second build
#   toolchain-name  mingw-i686.cmake or mingw-x86_64.cmake, from the copy's cmake/
set -eu
source=$(cd "$1" && pwd)
first=$(cd "$2" && pwd)
work=$3
toolchain=$4
packer=$5

rm -rf "$work"
mkdir -p "$work/elsewhere/source tree"
work=$(cd "$work" && pwd)
copy="$work/elsewhere/source tree"
# The sources without version control and build folders: build/, any folder of a CMake
# configuration, and the folder of this work when it lies inside the sources.
inside=""
case "$work/" in
"$source"/*)
    inside=${work#"$source"/}
    inside="--exclude=./${inside%%/*}"
    ;;
esac
(cd "$source" && tar --exclude=./.git --exclude=./build --exclude-tag-all=CMakeCache.txt \
    $inside -cf - .) | (cd "$copy" && tar -xf -)

second="$work/elsewhere/second build"
cmake -S "$copy" -B "$second" -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DKRZ_PRODUCT=ON -DKRZ_PACKER="$packer" >/dev/null
cmake --build "$second" -j "$(nproc)" >/dev/null

shipped() { # folder: the shipped programs, relative to it
    (cd "$1" && find . \( -name CMakeFiles -o -path ./tests \) -prune -o -name '*.exe' -print |
        sort)
}
programs=$(shipped "$first")
if [ -z "$programs" ]; then
    echo "check-reproducible: no program in $first" >&2
    exit 1
fi
if [ "$programs" != "$(shipped "$second")" ]; then
    echo "check-reproducible: the two builds ship different programs:" >&2
    shipped "$first" >&2
    echo "and" >&2
    shipped "$second" >&2
    exit 1
fi
status=0
for program in $programs; do
    if cmp -s "$first/$program" "$second/$program"; then
        echo "$program: identical ($(wc -c <"$first/$program") bytes)"
    else
        echo "check-reproducible: $program differs between $first and $second:" >&2
        cmp -l "$first/$program" "$second/$program" | head -5 >&2 || true
        status=1
    fi
done
exit $status
