# The Wine prefixes of this project: the tests' (cmake/wine-run.in) and the ones of the scripts
# that run the installer for people to look at (the main command and the README's pictures).

# krz_runs_32bit: whether Wine's 32-bit loader starts on this machine. It does not where wine32
# is missing, nor where the kernel runs no 32-bit x86 programs (its ia32 emulation off, as on
# some virtual machines).
krz_runs_32bit() {
    [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# KRZ_WINE: the command that starts a Windows program. Debian's wine starts the 32-bit loader
# whenever wine32 is installed, for 64-bit programs too; where that loader cannot start, Wine's
# 64-bit loader runs the 64-bit programs by itself (and 32-bit ones cannot run at all).
export KRZ_WINE=wine
if [ -x /usr/lib/wine/wine64 ] && ! krz_runs_32bit; then
    KRZ_WINE=/usr/lib/wine/wine64
    export WINELOADER=/usr/lib/wine/wine64
fi

# krz_boot_prefix: makes $WINEPREFIX a Wine prefix if it is not one yet, with unmanaged windows
# (Wine draws their frames; there is no window manager on a virtual display). The user folders
# that Wine links into the host user's home (Desktop among them) become plain folders of the
# prefix, every time: Wine makes the links again when it updates a prefix.
krz_boot_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        "$KRZ_WINE" wineboot -i >/dev/null 2>&1 || true
        # Without a window manager on the virtual display, Wine waits two seconds for every
        # managed top-level window that closes; unmanaged windows close at once.
        "$KRZ_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        wineserver -w
    fi
    if [ -d "$WINEPREFIX/drive_c/users" ]; then
        find "$WINEPREFIX/drive_c/users" -type l | while IFS= read -r link; do
            rm -f "$link"
            mkdir -p "$link"
        done
    fi
    krz_strip_prefix
}

# krz_strip_prefix: Wine's copies of its own DLLs and programs in the prefix lose their symbols
# and debugging sections (Wine's packages build them with debugging information), which takes a
# 64-bit prefix (both halves) from about 1.3 GB to about 320 MB, a 32-bit one from about 590 MB
# to about 150 MB. The copies keep Wine's builtin marker, so Wine still treats them as its own;
# after a Wine update has rewritten them, the next call strips them again.
krz_strip_prefix() {
    local stamp=$WINEPREFIX/.krz-stripped
    [ -f "$WINEPREFIX/.update-timestamp" ] || return 0
    cmp -s "$WINEPREFIX/.update-timestamp" "$stamp" && return 0
    find "$WINEPREFIX/drive_c/windows" -type f -size +16k -print0 |
        xargs -0 grep -lZ --binary-files=text -m1 'Wine builtin DLL' |
        xargs -0 -r -n 64 -P "$(nproc)" x86_64-w64-mingw32-strip --strip-all ||
        echo "wine-prefix: some of Wine's files in $WINEPREFIX could not be made smaller" >&2
    cp "$WINEPREFIX/.update-timestamp" "$stamp"
}

# krz_prepare_prefix DIR makes DIR a 64-bit Wine prefix (krz_boot_prefix), where both builds
# run, and exports WINEPREFIX and the Wine settings for it, with Wine's own fonts, so that the
# dialogs show in their own font. A prefix made before 32-bit Wine was installed has no 32-bit
# half and is made anew where 32-bit Wine runs.
krz_prepare_prefix() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
    if [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] &&
        krz_runs_32bit; then
        rm -rf "$WINEPREFIX"
    fi
    export WINEDLLOVERRIDES="winemenubuilder.exe=d"
    krz_boot_prefix
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/.krz-fonts" ]; then
        cp /usr/share/wine/fonts/* "$fonts/" && touch "$fonts/.krz-fonts"
    fi
}

# krz_confine_prefix: for the main command's prefix (after krz_prepare_prefix), which a user
# drives by hand and which holds only this installer. Its only drive is C: (Wine also maps the
# host's root as Z:, where an installer running as root could write into the host's own
# folders). Wine's copies of the libraries that games and other programs bring with them on
# Windows (each version of the C and C++ run-time libraries but the system's msvcrt.dll, the 3D
# helper and shader compiler libraries, the game audio libraries) go, about 75 MB of both
# halves: nothing that runs here loads them. A Wine update brings them back; the next run
# removes them again.
krz_confine_prefix() {
    local dosdevices=$WINEPREFIX/dosdevices link dir
    for link in "$dosdevices"/?:*; do
        case ${link##*/} in c:) ;; *) rm -f "$link" ;; esac
    done
    for dir in "$WINEPREFIX/drive_c/windows/system32" "$WINEPREFIX/drive_c/windows/syswow64"; do
        [ -d "$dir" ] || continue
        (cd "$dir" && rm -f msvcr[0-9]*.dll msvcp[0-9]*.dll d3dx*.dll d3dcompiler_*.dll \
            xaudio2_*.dll x3daudio*.dll xapofx*.dll)
    done
}
