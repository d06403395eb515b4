# The Wine prefixes of this project: the tests' (cmake/wine-run.in) and the ones of the scripts
# that run the installer for people to look at (the main command and the README's pictures).

# krz_boot_prefix: makes $WINEPREFIX a Wine prefix if it is not one yet, with unmanaged windows
# (Wine draws their frames; there is no window manager on a virtual display). The user folders
# that Wine links into the host user's home (Desktop among them) become plain folders of the
# prefix, every time: Wine makes the links again when it updates a prefix.
krz_boot_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || true
        # Without a window manager on the virtual display, Wine waits two seconds for every
        # managed top-level window that closes; unmanaged windows close at once.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
        wineserver -w
    fi
    if [ -d "$WINEPREFIX/drive_c/users" ]; then
        find "$WINEPREFIX/drive_c/users" -type l | while IFS= read -r link; do
            rm -f "$link"
            mkdir -p "$link"
        done
    fi
}

# krz_prepare_prefix DIR makes DIR a Wine prefix (krz_boot_prefix) and exports WINEPREFIX and
# the Wine settings for it, with Wine's own fonts, so that the dialogs show in their own font.
krz_prepare_prefix() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d"
    krz_boot_prefix
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/.krz-fonts" ]; then
        cp /usr/share/wine/fonts/* "$fonts/" && touch "$fonts/.krz-fonts"
    fi
}

# krz_confine_prefix: for the main command's prefix (after krz_prepare_prefix), which a user
# drives by hand. Its only drive is C: (Wine also maps the host's root as Z:, where an installer
# running as root could write into the host's own folders); and Wine's copies of its own
# DLLs and programs lose their debugging sections (Wine's packages build them with debugging
# information), which takes the prefix from about 700 MB to about 230 MB. The copies keep
# Wine's builtin marker, so Wine still treats them as its own; a Wine update that rewrites them
# is stripped again on the next run.
krz_confine_prefix() {
    local dosdevices=$WINEPREFIX/dosdevices link
    for link in "$dosdevices"/?:*; do
        case ${link##*/} in c:) ;; *) rm -f "$link" ;; esac
    done
    local stamp=$WINEPREFIX/.krz-stripped
    if ! cmp -s "$WINEPREFIX/.update-timestamp" "$stamp"; then
        find "$WINEPREFIX/drive_c/windows" -type f -size +64k -print0 |
            xargs -0 grep -lZ --binary-files=text -m1 'Wine builtin DLL' |
            xargs -0 -r -n 64 x86_64-w64-mingw32-strip --strip-debug ||
            echo "run: some of Wine's files in the prefix could not be made smaller" >&2
        cp "$WINEPREFIX/.update-timestamp" "$stamp"
    fi
}
