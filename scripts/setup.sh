#!/usr/bin/env bash
# Installs the Debian packages that building and testing need; does nothing when all are there.
# Run as root (or through sudo) on Debian bookworm.
set -euo pipefail

packages=(
    cmake make g++ clang libclang-rt-14-dev clang-format
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 fonts-wine xvfb xauth xdotool imagemagick
    googletest mscompress liblnk-utils osslsigncode openssl
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
    echo "setup: wine32 is installed; it breaks the wine command on this machine. Remove it first." >&2
    exit 1
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
# No recommends: wine's recommendations pull in wine32, which cannot run here.
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
