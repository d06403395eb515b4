#!/usr/bin/env bash
# Takes the picture of the installer's main dialog that the README shows: runs krzsetup.exe
# under Wine on a virtual display, in a Wine prefix of its own (with Wine's fonts, so that the
# dialog shows in its own font, and with no previous installation recorded), photographs the
# screen and crops it to the dialog.
# Usage: docs/screenshot.sh [krzsetup.exe] [picture.png]
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "${1:-$top/build/win-i686/product/app/krzsetup.exe}")
picture=${2:-$top/docs/main-dialog.png}
if [ ! -f "$exe" ]; then
    echo "screenshot: $exe not found; build first (scripts/build.sh)" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
. "$top/scripts/wine-prefix.sh"
krz_prepare_prefix "$work/prefix"

cat >"$work/shoot.sh" <<'EOF'
#!/bin/sh
# On the virtual display: start the installer, wait for its dialog, photograph it.
exe=$1
out=$2
wine "$exe" &
window=
for _ in $(seq 100); do
    window=$(xdotool search --name '^Setup Quorbelix$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "screenshot: the dialog did not appear" >&2
    exit 1
fi
sleep 1 # let it paint
eval "$(xdotool getwindowgeometry --shell "$window")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
EOF
xvfb-run -a -s "-screen 0 800x600x24" sh "$work/shoot.sh" "$exe" "$work/dialog.png"
mv "$work/dialog.png" "$picture"
echo "screenshot: $picture"
