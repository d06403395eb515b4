#!/usr/bin/env bash
# The project's test command: installs what is missing, builds everything and runs every
# test, host (plain, under AddressSanitizer/UBSan, and the codec's corpus replays and the
# packer's tests under clang's UBSan) and Windows (under Wine on a virtual display). Exits
# nonzero when anything fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}

"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$root"

status=0
ctest --test-dir "$root/host" --output-on-failure -j "$(nproc)" || status=1
ctest --test-dir "$root/host-asan" --output-on-failure -j "$(nproc)" || status=1
ctest --test-dir "$root/host-clang-ubsan" --output-on-failure -j "$(nproc)" \
    -R '^(expand_fuzzer_replay|compress_fuzzer_replay|pe_fuzzer_replay|tools_tests)$' || status=1
# Windows tests share one Wine prefix and its registry: one at a time.
xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --test-dir "$root/win-x86_64" --output-on-failure || status=1
# The i686 programs cannot run here (no 32-bit Wine): only the release checks, which read the
# shipped programs (import audit) and build them a second time (reproducibility).
ctest --test-dir "$root/win-i686" --output-on-failure -L release --no-tests=error || status=1

if [ $status -ne 0 ]; then
    echo "test: FAILED" >&2
else
    echo "test: all passed"
fi
exit $status
