#!/usr/bin/env bash
# Benchmark of a whole installation under Wine: krzsetup.exe driven by the UI driver, from the
# click on OK to the finished dialog, against CopyFileA of the four installed files in the same
# prefix (the tests' prefix, build/win-x86_64/wineprefix), on a virtual display. Prints medians
# and their ratio; asserts nothing.
# Usage: bench/install.sh [runs]   (default 9)
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
build=${KRZ_BUILD:-$top/build/win-x86_64}
cmake --build "$build" --target install_bench >/dev/null

# wine-run's prefix, for wineserver too.
export WINEPREFIX=${KRZ_WINEPREFIX:-$build/wineprefix}
echo "Machine: $(nproc) processors; load $(cut -d' ' -f1-3 /proc/loadavg)"
# Wine's own processes end before the virtual display does.
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '"$@"; status=$?; wineserver -w; exit $status' \
    bench "$build/wine-run" "$build/bench/install_bench.exe" \
    "Z:$(realpath "$build/tests/app/krzsetup.exe" | tr / '\\')" "${1:-9}"
