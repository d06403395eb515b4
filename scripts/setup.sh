#!/usr/bin/env bash
# Installs the Debian packages that building and testing need; does nothing when all are there.
# 32-bit Wine (wine32, of the i386 architecture) runs the i686 release beside wine64; once per
# Wine version and kernel the script checks that a 32-bit Windows program actually starts, and
# stops with a message where it cannot. A kernel that runs no 32-bit x86 programs at all (its
# ia32 emulation off) cannot start wine32's loader: that is said, and Wine runs 64-bit programs
# only.
# Run as root (or through sudo) on Debian bookworm.
set -euo pipefail

packages=(
    cmake make g++ clang libclang-rt-14-dev clang-format
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 wine32:i386 fonts-wine xvfb xauth xdotool imagemagick
    googletest mscompress liblnk-utils osslsigncode openssl
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -ne 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        "${sudo_cmd[@]}" dpkg --add-architecture i386
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    # No recommends: Wine's would bring in sound, printing and media libraries for both
    # architectures, which nothing here uses.
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

. "$(dirname "$0")/wine-prefix.sh"
stamp=/var/lib/krzsetup/wine32-starts
key="$("$KRZ_WINE" --version) $(uname -r)"
if ! krz_runs_32bit; then
    # The check below would only say so again; scripts/test.sh and scripts/run.sh say what it
    # leaves out.
    echo "setup: this machine does not run 32-bit x86 programs (its kernel's 32-bit support is" \
        "off): Wine runs the x86_64 programs only" >&2
elif [ "$(cat "$stamp" 2>/dev/null)" != "$key" ]; then
    work=$(mktemp -d)
    answer=$(WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all \
        WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml=" \
        wine cmd /c echo 32-bit Windows runs 2>/dev/null | tr -d '\r') || true
    WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
    rm -rf "$work"
    if [ "$answer" != "32-bit Windows runs" ]; then
        echo "setup: a 32-bit Windows program does not start under Wine on this machine" >&2
        echo "setup: (wine32 needs a kernel that runs 32-bit x86 programs); the i686 release," >&2
        echo "setup: which the tests and the main command run, cannot run here" >&2
        exit 1
    fi
    "${sudo_cmd[@]}" mkdir -p "${stamp%/*}"
    echo "$key" | "${sudo_cmd[@]}" tee "$stamp" >/dev/null
fi
