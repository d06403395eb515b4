#!/usr/bin/env bash
# The main command: installs what is missing, builds everything, then runs krzsetup.exe under
# Wine in a prefix of its own inside the build folder (build/run/wineprefix), never the
# user's own. With a display ($DISPLAY set) the installer shows there for the user to use.
# Without one it runs on a virtual display, where the UI driver accepts the proposed folder,
# presses OK and closes the finished dialog, saving pictures of the ready and the finished
# dialog. Either way it then prints what was installed: the files with their sizes and time
# stamps, the two shortcuts with their targets, and the two registry entries.
# Usage: scripts/run.sh [build-root]   (default: build/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}

"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$root"

win=$root/win-x86_64
exe=$win/product/app/krzsetup.exe
out=$root/run
# wine-run takes its prefix from KRZ_WINEPREFIX; wineserver from WINEPREFIX.
export KRZ_WINEPREFIX=$out/wineprefix WINEPREFIX=$out/wineprefix
wine_run=$win/wine-run
mkdir -p "$out"

. "$top/scripts/wine-prefix.sh"
krz_prepare_prefix "$KRZ_WINEPREFIX"
# Wine links the user's Desktop (and other folders) to the host user's home; here they are
# plain folders, so the shortcuts stay inside the prefix.
find "$KRZ_WINEPREFIX/drive_c/users" -mindepth 2 -maxdepth 2 -type l | while IFS= read -r link; do
    rm -f "$link"
    mkdir -p "$link"
done

winpath() { # a host path as the prefix sees it (the host's root is drive Z:)
    printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"
}
hostpath() { # a Windows path of the prefix as a host path
    realpath -m "$("$wine_run" winepath -u "$1" 2>/dev/null | tr -d '\r')"
}
regvalue() { # key, value name: the text of a REG_SZ value, or nothing
    "$wine_run" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^[[:space:]]*$2[[:space:]]\{1,\}REG_SZ[[:space:]]\{1,\}//p"
}

if [ -n "${DISPLAY:-}" ]; then
    echo "run: krzsetup.exe is on your display ($DISPLAY)"
    "$wine_run" "$exe"
else
    echo "run: no display; the installation runs on a virtual display"
    rm -f "$out/ready.png" "$out/finished.png"
    # Wine's own processes end before the virtual display does.
    xvfb-run -a -s "-screen 0 800x600x24" sh -c '"$@"; status=$?; wineserver -w; exit $status' \
        walkthrough "$wine_run" "$win/tests/app/install_walkthrough.exe" \
        "$(winpath "$exe")" "$(winpath "$out/ready.bmp")" "$(winpath "$out/finished.bmp")"
    for shot in ready finished; do
        convert "$out/$shot.bmp" "$out/$shot.png" && rm -f "$out/$shot.bmp"
        echo "run: screenshot of the $shot dialog: $out/$shot.png"
    done
fi
wineserver -w

current='HKLM\Software\Microsoft\Windows\CurrentVersion'
app_paths="$current\\App Paths\\KRZ.EXE"
uninstall="$current\\Uninstall\\Quorbelix"
folder=$(regvalue "$app_paths" Path)
if [ -z "$folder" ]; then
    echo "run: no installation is recorded in the prefix $KRZ_WINEPREFIX"
    exit 1
fi

echo
host_folder=$(hostpath "$folder")
echo "Installed into $folder ($host_folder)"
for name in KRZ.exe KRZ.hlp KRZ.cnt Uninstall.exe; do
    file=$host_folder/$name
    if [ -f "$file" ]; then
        printf '  %-14s %9d bytes  modified %s\n' "$name" "$(stat -c %s "$file")" \
            "$(date -r "$file" '+%Y-%m-%d %H:%M:%S %Z')"
    else
        printf '  %-14s missing\n' "$name"
    fi
done

echo
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
for place in Desktop Programs; do
    dir=$(regvalue "$shell_folders" "$place")
    link=$(hostpath "$dir")/KRZ.lnk
    if [ -n "$dir" ] && [ -f "$link" ]; then
        echo "$place shortcut $dir\\KRZ.lnk:"
        lnkinfo "$link" | tr -d '\r' | grep -E '^[[:space:]]*(Local path|Description)[[:space:]]*:'
    else
        echo "$place shortcut: none"
    fi
done

echo
for key in "$app_paths" "$uninstall"; do
    "$wine_run" reg query "$key" | tr -d '\r' | sed '/^$/d'
done
