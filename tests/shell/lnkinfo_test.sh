#!/bin/sh
# Writes a shortcut under Wine with CreateShortcut and reads it back on the host with lnkinfo,
# a reader that shares no code with the platform's shell link object.
# Usage: lnkinfo_test.sh <wine-run> <wine prefix> <shortcut_writer.exe>
set -u
wine_run=$1
prefix=$2
writer=$3
host_dir="$prefix/drive_c/krz-lnkinfo"
status=0

fail() {
    echo "FAIL: $*" >&2
    status=1
}

rm -rf "$host_dir"
"$wine_run" "$writer" 'C:\krz-lnkinfo\Tools\KRZ.exe' 'C:\krz-lnkinfo\Desktop\KRZ.lnk' Quorbelix ||
    fail "shortcut_writer exited with $?"

link="$host_dir/Desktop/KRZ.lnk"
if [ ! -f "$link" ]; then
    fail "no shortcut file at $link"
else
    info=$(lnkinfo "$link" | tr -d '\r') || fail "lnkinfo could not read $link"
    echo "$info"
    field() { # the value of one "Name : value" line
        echo "$info" | sed -n "s/^[[:space:]]*$1[[:space:]]*: //p"
    }
    [ "$(field 'Local path')" = 'C:\krz-lnkinfo\Tools\KRZ.exe' ] ||
        fail "local path is '$(field 'Local path')'"
    [ "$(field 'Description')" = 'Quorbelix' ] || fail "description is '$(field 'Description')'"
    [ "$(field 'Hot Key value')" = '0' ] || fail "hot key is '$(field 'Hot Key value')'"
    if echo "$info" | grep -Eiq 'working directory|command line arguments|icon location'; then
        fail "the shortcut carries a working directory, arguments or an icon location"
    fi
fi

rm -rf "$host_dir"
exit $status
