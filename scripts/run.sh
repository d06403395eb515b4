#!/usr/bin/env bash
# The main command: builds what it runs (the packer, the i686 krzsetup.exe that ships and the
# walkthrough program), then runs krzsetup.exe under Wine in a prefix of its own,
# build/run/wineprefix, never the user's own: a 64-bit prefix, where the release runs as a 32-bit
# program on 64-bit Windows, as most of its users run it. With a display ($DISPLAY set) the
# installer shows there for the user to use; without one it runs on a virtual display, where the
# walkthrough program accepts the proposed folder, presses OK and closes the finished dialog,
# saving pictures of the ready and the finished dialog. It then reports what this run did: the
# installation (files, shortcuts, registry entries in the registry view they were written to)
# and exit status 0, or one line saying why nothing was installed and a nonzero status (3 Cancel,
# 4 No to the reinstall question, 5 the installer could not show on the display, 1 the installer
# failed).
#
# --uninstall runs the uninstaller that the installation recorded (its UninstallString) the
# same way, and prints what is left of the installation.
# --x86_64 builds and runs the x86_64 krzsetup.exe instead (its entries are in the 64-bit view:
# give --x86_64 to --uninstall too).
#
# Usage: scripts/run.sh [--uninstall] [--x86_64] [build-root]   (default: build/)
set -euo pipefail
case ${1-} in --help | -h) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac # the comment above
top=$(cd "$(dirname "$0")/.." && pwd)
action=install
arch=i686
while [ $# -gt 0 ]; do
    case $1 in
    --uninstall) action=uninstall ;;
    --x86_64) arch=x86_64 ;;
    -*)
        echo "usage: scripts/run.sh [--uninstall] [--x86_64] [build-root]" >&2
        exit 2
        ;;
    *) break ;;
    esac
    shift
done
root=$(realpath -m "${1:-$top/build}")
out=$root/run
mkdir -p "$out"
log=$out/build.log
: >"$log"

. "$top/scripts/configure.sh"

echo "run: checking the Debian packages (installing any that are missing)"
krz_quietly "installing the packages (scripts/setup.sh)" "$top/scripts/setup.sh"
. "$top/scripts/wine-prefix.sh"
if [ $arch = i686 ] && ! krz_runs_32bit; then
    echo "run: this machine does not run 32-bit x86 programs (its kernel's 32-bit support is off):" \
        "the x86_64 krzsetup.exe runs instead of the i686 release"
    arch=x86_64
fi
win=$root/win-$arch
echo "run: building the packer in $root/host"
krz_quietly "configuring the host build" krz_configure "$root/host"
krz_quietly "building the packer" cmake --build "$root/host" --target krzpack -j "$(nproc)"
echo "run: building the $arch krzsetup.exe and the walkthrough program in $win"
krz_quietly "configuring the $arch build" krz_configure "$win" \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" -DKRZ_PACKER="$root/host/tools/krzpack"
krz_quietly "building krzsetup.exe" cmake --build "$win" --target krz_product install_walkthrough \
    -j "$(nproc)"

prefix=$out/wineprefix
[ -f "$prefix/system.reg" ] || echo "run: making the Wine prefix $prefix (once)"
krz_quietly "making the Wine prefix" krz_prepare_prefix "$prefix"
krz_quietly "confining the Wine prefix" krz_confine_prefix
# The programs run from inside the prefix: it has no drive for the rest of the host.
stage=$prefix/drive_c/krz-run
mkdir -p "$stage"
cp "$win/product/app/krzsetup.exe" "$win/scripts/walkthrough/install_walkthrough.exe" "$stage/"
cd "$prefix/drive_c"
walkthrough='C:\krz-run\install_walkthrough.exe'

if [ -n "${DISPLAY:-}" ]; then
    if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
        echo "run: cannot open the display $DISPLAY: nothing was run" >&2
        exit 5
    fi
    echo "run: the ${action}er is on your display ($DISPLAY)"
    how=watch
    launch() { "$KRZ_WINE" "$walkthrough" "$@"; }
else
    echo "run: no display; the ${action}er is walked through on a virtual display"
    how=walk
    launch() { # Wine's desktop process ends with the virtual display: its X error is no news
        local status=0
        xvfb-run -a -s "-screen 0 800x600x24" "$KRZ_WINE" "$walkthrough" "$@" 2>"$out/stderr" ||
            status=$?
        grep -v '^X connection to .* broken' "$out/stderr" >&2 || true
        return $status
    }
fi

status=0
if [ "$action" = install ]; then
    shots=()
    if [ $how = walk ]; then
        rm -f "$out/ready.png" "$out/finished.png"
        shots=('C:\krz-run\ready.bmp' 'C:\krz-run\finished.bmp')
    fi
    launch install $how 'C:\krz-run\krzsetup.exe' "${shots[@]}" || status=$?
else
    launch uninstall $how || status=$?
fi

for shot in ready finished; do
    if [ -f "$stage/$shot.bmp" ]; then
        convert "$stage/$shot.bmp" "$out/$shot.png" && rm -f "$stage/$shot.bmp"
        echo "run: picture of the $shot dialog: $out/$shot.png"
    fi
done
exit $status
