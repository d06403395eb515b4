#!/usr/bin/env bash
# The project's test command: installs what is missing, builds everything and runs every
# test, host (plain, under AddressSanitizer/UBSan, and the codec's corpus replays and the
# packer's tests under clang's UBSan) and Windows (under Wine on a virtual display). Exits
# nonzero when anything fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}

# Some Windows tests mount small tmpfs drives inside the build folder and unmount them when they
# end; a run that is interrupted leaves them mounted, and the build folder cannot be removed.
# Whatever is mounted there goes before the run and after it, however it ends.
unmount_test_drives() {
    [ -d "$root" ] || return 0
    local real
    real=$(cd "$root" && pwd -P)
    awk -v under="$real/" 'index($2, under) == 1 { print $2 }' /proc/mounts | sort -r |
        while IFS= read -r dir; do
            umount "$dir" || echo "test: cannot unmount $dir" >&2
        done
}
unmount_test_drives
trap unmount_test_drives EXIT
trap 'exit 130' INT TERM

"$top/scripts/setup.sh"
"$top/scripts/build.sh" "$root"

status=0
ctest --test-dir "$root/host" --output-on-failure -j "$(nproc)" || status=1
ctest --test-dir "$root/host-asan" --output-on-failure -j "$(nproc)" || status=1
ctest --test-dir "$root/host-clang-ubsan" --output-on-failure -j "$(nproc)" \
    -R '^(expand_fuzzer_replay|compress_fuzzer_replay|pe_fuzzer_replay|tools_tests)$' || status=1
# Windows tests share their build's Wine prefix and its registry: one at a time. Each build
# runs where it runs natively, x86_64 in a 64-bit prefix and the i686 release in a 32-bit one
# (and, for its WoW64 scenarios, in a 64-bit one).
. "$top/scripts/wine-prefix.sh"
not_run=
for arch in x86_64 i686; do
    if [ $arch = i686 ] && ! krz_runs_32bit; then
        # Wine cannot start a 32-bit program here: of the i686 tests, those that need no Wine
        # (the import audit, the reproducible build) run; the rest of the Windows suite has run
        # on the x86_64 build of the same sources.
        not_run="the i686 build's Wine tests did not run: this machine does not run 32-bit x86 programs"
        echo "test: $not_run (its kernel's 32-bit support is off); its release checks run" >&2
        ctest --test-dir "$root/win-$arch" --output-on-failure --no-tests=error -L release ||
            status=1
        continue
    fi
    xvfb-run -a -s "-screen 0 1024x768x24" \
        ctest --test-dir "$root/win-$arch" --output-on-failure --no-tests=error || status=1
done

if [ $status -ne 0 ]; then
    echo "test: FAILED" >&2
elif [ -n "$not_run" ]; then
    echo "test: all that ran passed; $not_run"
else
    echo "test: all passed"
fi
exit $status
