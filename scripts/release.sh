#!/usr/bin/env bash
# Makes the release folder: the installers for i686 and x86_64 with their stubs, the packer
# (krzpack, a program of this host) and SHA256SUMS over them; see --help.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=$top/build

help() {
    cat <<'EOF'
Usage: scripts/release.sh [--payload DIR] [--set-version A.B.C.D] [--special-build TEXT]
                          [signing options] [FOLDER]

Builds the packer and both installers (i686, the release, and x86_64) and makes FOLDER
(default build/release; any other FOLDER must not exist yet, or be empty): i686/ and
x86_64/, each with krzsetup.exe and krzsetup-stub.exe, the packer krzpack and SHA256SUMS
over them all. Each installer is checked with krzpack verify against the files it carries.

  --payload DIR           the four files of DIR, named as the installer writes them (KRZ.exe,
                          KRZ.hlp, KRZ.cnt, Uninstall.exe), go into both installers instead of
                          the sample's; DIR must hold those four files and nothing else
  --set-version A.B.C.D   the installers' file and product version (four numbers of 0 to
                          65535; the version resource and the manifest); default 4.4.0.8
                          and 4.4.0.0
  --special-build TEXT    their "SpecialBuild" text, which the installer records in the
                          application path entry; default empty
  --help                  this help

Signing options (passed to scripts/sign.sh, which signs both installers before the checksums
are taken; scripts/sign.sh --help tells more):
  --cert CERT.pem --key KEY.pem | --pkcs12 FILE.p12   the certificate and its key
  --password-file FILE    the key's password (asked once on the terminal without it)
  --ca CA.pem             check the signatures against this CA file
  --timestamp URL         an RFC 3161 timestamp server (repeatable)
  --tsa-certs CERT.pem --tsa-key KEY.pem   an offline timestamp authority of your own

The build's output goes to build/release.log; one line per stage is printed, and the log's
end when a step fails. With SOURCE_DATE_EPOCH set, signing uses that time, so that two
releases of one commit, signed with one key and no timestamp server, are byte-identical.
Exit status: 0 made, 1 failure (no release folder made), 2 usage error.
EOF
}

usage() {
    echo "release: $1 (scripts/release.sh --help)" >&2
    exit 2
}

payload= version= special= special_set=
signing=()
while [ $# -gt 0 ]; do
    case $1 in
    --help | -h) help; exit 0 ;;
    --payload | --set-version | --special-build | --cert | --key | --pkcs12 | --password-file | \
        --ca | --timestamp | --tsa-certs | --tsa-key)
        [ $# -ge 2 ] || usage "$1 takes a value"
        case $1 in
        --payload) payload=$2 ;;
        --set-version) version=$2 ;;
        --special-build) special=$2 special_set=1 ;;
        *) signing+=("$1" "$2") ;;
        esac
        shift 2 ;;
    -*) usage "unknown option $1" ;;
    *) break ;;
    esac
done
[ $# -le 1 ] || usage "one FOLDER at most"
if [ -n "$version" ]; then
    valid=1
    [[ $version =~ ^[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}$ ]] || valid=
    IFS=. read -ra parts <<<"$version"
    for n in "${parts[@]}"; do
        [ -z "$valid" ] || [ $((10#$n)) -le 65535 ] || valid=
    done
    [ -n "$valid" ] || usage "--set-version $version: not four numbers of 0 to 65535 (A.B.C.D)"
fi
stamp=()
[ -z "$version" ] || stamp+=(--set-version "$version")
[ -z "$special_set" ] || stamp+=(--special-build "$special")

files=(KRZ.exe KRZ.hlp KRZ.cnt Uninstall.exe)
if [ -n "$payload" ]; then
    [ -d "$payload" ] || { echo "release: $payload: not a folder" >&2; exit 1; }
    payload=$(cd "$payload" && pwd)
    for name in "${files[@]}"; do
        [ -f "$payload/$name" ] && [ ! -L "$payload/$name" ] ||
            { echo "release: $payload has no file $name; it must hold ${files[*]}" >&2; exit 1; }
    done
    others=$(cd "$payload" && find . -mindepth 1 -maxdepth 1 ! -name KRZ.exe ! -name KRZ.hlp \
        ! -name KRZ.cnt ! -name Uninstall.exe -printf '%f ')
    if [ -n "$others" ]; then
        echo "release: $payload holds more than the four files (${others% }): which files are meant is not clear; nothing was made" >&2
        exit 1
    fi
fi

out=${1:-$root/release}
if [ "$out" != "$root/release" ] && [ -e "$out" ] && [ -n "$(ls -A "$out")" ]; then
    echo "release: $out exists and is not empty" >&2
    exit 1
fi

needed=(cmake perl sha256sum i686-w64-mingw32-g++-win32 x86_64-w64-mingw32-g++-win32)
[ ${#signing[@]} -eq 0 ] || needed+=(osslsigncode openssl)
for tool in "${needed[@]}"; do
    command -v "$tool" >/dev/null ||
        { echo "release: $tool is missing: scripts/setup.sh installs it" >&2; exit 1; }
done

mkdir -p "$root"
log=$root/release.log
: >"$log"
. "$top/scripts/configure.sh"
echo "release: building the packer in $root/host (output in $log)"
krz_quietly "configuring the host build" krz_configure "$root/host"
krz_quietly "building the packer" cmake --build "$root/host" --target krzpack -j "$(nproc)"
for arch in i686 x86_64; do
    echo "release: building the $arch installer in $root/win-$arch"
    krz_quietly "configuring the $arch build" krz_configure "$root/win-$arch" \
        -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" -DKRZ_PACKER="$root/host/tools/krzpack"
    krz_quietly "building the $arch installer" cmake --build "$root/win-$arch" --target krz_product \
        -j "$(nproc)"
done

# Filled under a temporary name beside it, so that a failure leaves no half release.
mkdir -p "$(dirname "$out")"
work=$(mktemp -d "$out.making-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$root/host/tools/krzpack" "$work/"
for arch in i686 x86_64; do
    mkdir "$work/$arch"
    built=$root/win-$arch/product/app
    cp "$built/krzsetup-stub.exe" "$work/$arch/"
    if [ -n "$payload" ]; then
        sources=$payload
    else # the files the build packed
        sources=$work/files-$arch
        mkdir "$sources"
        krz_quietly "reading the $arch installer" "$work/krzpack" extract "$built/krzsetup.exe" "$sources"
    fi
    inputs=()
    for name in "${files[@]}"; do
        inputs+=("$sources/$name")
    done
    if [ -n "$payload$version$special_set" ]; then
        echo "release: packing the $arch installer${payload:+ with the files of $payload}${version:+, version $version}"
        krz_quietly "packing the $arch installer" "$work/krzpack" build "$work/$arch/krzsetup.exe" \
            "$work/$arch/krzsetup-stub.exe" "${inputs[@]}" ${stamp[@]+"${stamp[@]}"}
    else
        cp "$built/krzsetup.exe" "$work/$arch/"
    fi
    krz_quietly "checking the $arch installer" \
        "$work/krzpack" verify "$work/$arch/krzsetup.exe" "${inputs[@]}"
done
if [ ${#signing[@]} -gt 0 ]; then
    echo "release: signing both installers"
    "$top/scripts/sign.sh" "${signing[@]}" "$work"/{i686,x86_64}/krzsetup.exe >/dev/null
    for arch in i686 x86_64; do
        sources=${payload:-$work/files-$arch}
        krz_quietly "checking the signed $arch installer" "$work/krzpack" verify \
            "$work/$arch/krzsetup.exe" "$sources/KRZ.exe" "$sources/KRZ.hlp" "$sources/KRZ.cnt" \
            "$sources/Uninstall.exe"
    done
fi
rm -rf "$work"/files-*
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
