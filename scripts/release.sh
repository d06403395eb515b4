#!/usr/bin/env bash
# Makes the release folder: the installers for i686 and x86_64 with their stubs, the packer
# (krzpack, a program of this host) and SHA256SUMS over them. Given a certificate and its key
# it signs both installers (scripts/sign.sh) before the checksums are taken.
# Usage: scripts/release.sh [--cert CERT.pem --key KEY.pem [--ca CA.pem]] [FOLDER]
#        FOLDER (default build/release) must not exist yet, or be empty; build/release is
#        made anew.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=$top/build

usage() {
    echo "usage: $0 [--cert CERT.pem --key KEY.pem [--ca CA.pem]] [FOLDER]" >&2
    exit 2
}

cert= key= ca=
while [ $# -gt 0 ]; do
    case $1 in
    --cert) [ $# -ge 2 ] || usage; cert=$2; shift 2 ;;
    --key) [ $# -ge 2 ] || usage; key=$2; shift 2 ;;
    --ca) [ $# -ge 2 ] || usage; ca=$2; shift 2 ;;
    -*) usage ;;
    *) break ;;
    esac
done
[ $# -le 1 ] || usage
if [ -n "$cert$key$ca" ] && { [ -z "$cert" ] || [ -z "$key" ]; }; then
    echo "release: signing needs both --cert and --key" >&2
    exit 2
fi

out=${1:-$root/release}
if [ "$out" != "$root/release" ] && [ -e "$out" ] && [ -n "$(ls -A "$out")" ]; then
    echo "release: $out exists and is not empty" >&2
    exit 1
fi

"$top/scripts/setup.sh"
. "$top/scripts/configure.sh"
krz_configure "$root/host" >/dev/null
cmake --build "$root/host" --target krzpack -j "$(nproc)"
for arch in i686 x86_64; do
    krz_configure "$root/win-$arch" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" \
        -DKRZ_PACKER="$root/host/tools/krzpack" >/dev/null
    cmake --build "$root/win-$arch" --target krz_product -j "$(nproc)"
done

# Filled under a temporary name beside it, so that a failure leaves no half release.
mkdir -p "$(dirname "$out")"
work=$(mktemp -d "$out.making-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$root/host/tools/krzpack" "$work/"
for arch in i686 x86_64; do
    mkdir "$work/$arch"
    cp "$root/win-$arch/product/app/krzsetup.exe" "$root/win-$arch/product/app/krzsetup-stub.exe" "$work/$arch/"
    "$work/krzpack" verify "$work/$arch/krzsetup.exe"
done
if [ -n "$cert" ]; then
    "$top/scripts/sign.sh" --cert "$cert" --key "$key" ${ca:+--ca "$ca"} \
        "$work"/{i686,x86_64}/krzsetup.exe
    for arch in i686 x86_64; do
        "$work/krzpack" verify "$work/$arch/krzsetup.exe"
    done
fi
(cd "$work" && sha256sum krzpack i686/* x86_64/* >SHA256SUMS)
chmod 755 "$work"
if [ "$out" = "$root/release" ]; then
    rm -rf "$out"
elif [ -d "$out" ]; then
    rmdir "$out"
fi
mv "$work" "$out"
trap - EXIT
echo "release: $out"
(cd "$out" && cat SHA256SUMS)
