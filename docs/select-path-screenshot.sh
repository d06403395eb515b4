#!/usr/bin/env bash
# Takes the picture of the Select Path dialog that the README shows: runs krzsetup.exe under
# Wine on a virtual display, in a Wine prefix of its own (with Wine's fonts, so that the dialog
# shows in its own font, and with the proposed install folder present, so that the tree opens
# on it), opens the dialog through the browse button and saves it.
# Usage: docs/select-path-screenshot.sh [krzsetup.exe] [picture.png]
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KRZ_BUILD:-$top/build/win-i686}
exe=$(realpath "${1:-$build/product/app/krzsetup.exe}")
picture=$(realpath -m "${2:-$top/docs/select-path.png}")
if [ ! -f "$exe" ]; then
    echo "screenshot: $exe not found; build first (scripts/build.sh)" >&2
    exit 1
fi
cmake --build "$build" --target selectpath_shot >/dev/null
shot=$build/docs/selectpath_shot.exe

work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
. "$top/scripts/wine-prefix.sh"
krz_prepare_prefix "$work/prefix"
mkdir -p "$WINEPREFIX/drive_c/Program Files/Tessarin Software/Quorbelix"

windows() { echo "Z:$(echo "$1" | tr / '\\')"; } # the host's root is drive Z:
xvfb-run -a -s "-screen 0 800x600x24" \
    wine "$shot" "$(windows "$exe")" "$(windows "$work/dialog.bmp")"
convert "$work/dialog.bmp" "$picture"
echo "screenshot: $picture"
