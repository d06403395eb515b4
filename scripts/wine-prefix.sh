# Sourced by the scripts that run the installer for people to look at (the main command and
# the README's pictures). krz_prepare_prefix DIR makes DIR a Wine prefix (if it is not one
# yet) and exports WINEPREFIX and the Wine settings for it: unmanaged windows (Wine draws
# their frames; there is no window manager on a virtual display) and Wine's own fonts, so
# that the dialogs show in their own font.
krz_prepare_prefix() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || true
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wineserver -w
    fi
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/.krz-fonts" ]; then
        cp /usr/share/wine/fonts/* "$fonts/" && touch "$fonts/.krz-fonts"
    fi
}
