#!/usr/bin/env bash
# The main command: installs what is missing, builds everything, then lists and verifies the
# payload that the installer carries, both the packed payload file and every built
# installer executable.
# Usage: scripts/run.sh [build-root]   (default: build/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}

"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$root"

krzpack="$root/host/tools/krzpack"
sources=("$top/sample/KRZ.exe" "$top/sample/KRZ.hlp" "$top/sample/KRZ.cnt" "$top/sample/Uninstall.exe")
targets=("$root/win-i686/payload/payload.bin")
while IFS= read -r exe; do
    targets+=("$exe")
done < <(find "$root/win-i686" "$root/win-x86_64" -name krzsetup.exe -type f 2>/dev/null | sort)
[ ${#targets[@]} -gt 1 ] || echo "run: no installer executable built yet; listing the payload file only"

for target in "${targets[@]}"; do
    echo
    "$krzpack" list "$target"
    "$krzpack" verify "$target" "${sources[@]}"
done
