#!/bin/sh
# Makes folders whose names differ in letter case only (beta, Beta, BETA), in Walked/ and in
# Expanded/ below <folder>, emptied first. Wine cannot make them itself: it takes a name that
# exists in another case for that folder. CTest runs this as the setup of the fixture
# "selectpath_case_twins"; the Select Path scenarios find the folder in KRZ_CASE_TWINS.
# Usage: case-twins.sh <folder>
set -eu
if [ $# -ne 1 ]; then
    echo "usage: $0 <folder>" >&2
    exit 2
fi
rm -rf "$1"
for top in Walked Expanded; do
    mkdir -p "$1/$top/beta" "$1/$top/Beta/Sub" "$1/$top/BETA"
done
