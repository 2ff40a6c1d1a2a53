# Environment shared by everything that runs wine for the Windows tests. Source it, then call
# wine_environment with the wine prefix folder.

wine_environment() {
    export WINEPREFIX="$1"
    export WINEARCH=win64
    # No offers to download Mono or Gecko; wine's own errors stay visible, its notes on
    # unimplemented corners do not.
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    export WINEDEBUG=fixme-all
    # Debian's 64-bit loader, called directly: the "wine" wrapper would ask for the 32-bit
    # part on every start.
    if [ -x /usr/lib/wine/wine64 ]; then
        export WINELOADER=/usr/lib/wine/wine64
    else
        WINELOADER="$(command -v wine)"
        export WINELOADER
    fi
    # Windows programs take the time zone from the system (wine: from /etc/localtime); a TZ
    # variable would reach the C runtime alone, in a syntax of its own.
    unset WAYLAND_DISPLAY TZ
    # Windows appear only on the X display started for them inside the namespace
    # (run-tests.sh); without one, wine gets no display at all.
    if [ -n "${QZ7_WINE_DISPLAY:-}" ]; then
        export DISPLAY="$QZ7_WINE_DISPLAY"
    else
        unset DISPLAY
    fi
}

# Starts Xvfb on a free display number; sets QZ7_WINE_DISPLAY and QZ7_XVFB_PID. Run it inside
# the network namespace: the display then serves nobody outside it. The screen is as large as a
# host's at 200 % (3840 x 2160), so that the windows fit it at every scale the tests set.
start_wine_display() {
    local display_file
    display_file="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 "${QZ7_WINE_SCREEN:-3840x2160x24}" -nolisten tcp \
        3>"$display_file" \
        >/dev/null 2>&1 &
    QZ7_XVFB_PID=$!
    local waited
    for waited in $(seq 1 100); do
        [ -s "$display_file" ] && break
        kill -0 "$QZ7_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$display_file" ]; then
        rm -f "$display_file"
        echo "Xvfb did not start" >&2
        return 1
    fi
    export QZ7_WINE_DISPLAY=":$(head -n 1 "$display_file")"
    rm -f "$display_file"
}

stop_wine_display() {
    if [ -n "${QZ7_XVFB_PID:-}" ]; then
        kill "$QZ7_XVFB_PID" 2>/dev/null || true
        wait "$QZ7_XVFB_PID" 2>/dev/null || true
        QZ7_XVFB_PID=
    fi
}

# Qt's offscreen platform reads fonts from the one folder QT_QPA_FONTDIR names, without
# subfolders, and wine hands the program no QT_* variable from the Unix environment: so the
# folder FOLDER gets links to every font of the machine and the variable goes into the wine
# prefix's user environment. Without it the offscreen platform draws every glyph as a box.
set_offscreen_fonts() {
    local folder="$1"
    rm -rf "$folder"
    mkdir -p "$folder"
    find /usr/share/fonts -type f \( -name '*.ttf' -o -name '*.otf' -o -name '*.ttc' \) \
        -exec ln -sf -t "$folder" {} +
    timeout 120 "$WINELOADER" reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /t REG_SZ \
        /d "Z:${folder//\//\\}" /f >/dev/null
}

# Settings of a new wine prefix, wine's own fonts and one registry file:
# - Debian's wine does not look for the fonts of fonts-wine where that package puts them
#   (/usr/share/wine/fonts): without a copy in the prefix's Fonts folder wine has no Tahoma, and
#   Tahoma and MS Shell Dlg fall to Liberation Sans.
# - Wine has none of the other faces the windows name. The Windows faces go to the nearest free
#   fonts (MS Shell Dlg to wine's own Tahoma) for wine's font mapper and for the font list Qt
#   reads, so that dialogs, menus and message boxes are not drawn in a serif face and captions
#   measured under wine have the widths of the faces they stand in for. Arial Narrow goes to
#   Nimbus Sans Narrow: wine draws the Russian letters of Liberation Sans Narrow Bold barely
#   bolder than its regular ones.
# - Wine draws the window frames itself, as Windows does: the X display has no window manager,
#   and the frames are part of what the tests measure and the screenshots show.
configure_wine_prefix() {
    local reg status=0 fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    cp -f /usr/share/wine/fonts/*.ttf "$fonts/" || return 1
    reg="$(mktemp --suffix=.reg)"
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"Arial"="Liberation Sans"' \
        '"Arial Narrow"="Nimbus Sans Narrow"' \
        '"Comic Sans MS"="URW Gothic"' '' \
        '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]' \
        '"MS Shell Dlg"="Tahoma"' \
        '"MS Shell Dlg 2"="Tahoma"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' \
        '"Decorated"="N"' >"$reg"
    timeout 120 "$WINELOADER" regedit /S "Z:${reg//\//\\}" || status=$?
    rm -f "$reg"
    return "$status"
}

# Wine's desktop process (explorer.exe /desktop) lingers a second or so after the last window of
# a program closed. A program that starts meanwhile may get no desktop ("The explorer process
# failed to start"): its window shows, but it never ends. So a program that must end by itself
# once shown waits, at most 30 s, until the desktop of the prefix it runs in has ended.
wait_for_wine_desktop_to_end() {
    local attempt pid busy
    for attempt in $(seq 1 300); do
        busy=0
        for pid in $(pgrep -f 'explorer\.exe /desktop' || true); do
            if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" |
                grep -qxF "WINEPREFIX=$WINEPREFIX"; then
                busy=1
            fi
        done
        [ "$busy" -eq 0 ] && return 0
        sleep 0.1
    done
    return 0
}

# True when this process sits in a network namespace whose only interface is the loopback one,
# which is the only place wine may run here.
network_isolated() {
    [ -r /proc/self/net/dev ] || return 1
    [ "$(awk -F: 'NR > 2 { gsub(/ /, "", $1); if ($1 != "lo") n++ } END { print n + 0 }' \
        /proc/self/net/dev)" -eq 0 ]
}

# Inside the namespace: an X display, the wine environment for PREFIX, a persistent wineserver
# and an initialised prefix (wineboot -i, logged to LOG; then configure_wine_prefix), so that
# no program started afterwards waits on wine's background services. stop_wine ends what this
# started.
start_wine() {
    local prefix="$1" boot_log="$2"
    start_wine_display || return 1
    wine_environment "$prefix"
    mkdir -p "$WINEPREFIX"
    wineserver -p
    if ! timeout 600 wineboot -i >"$boot_log" 2>&1; then
        echo "wineboot failed; see $boot_log" >&2
        return 1
    fi
    configure_wine_prefix
}

stop_wine() {
    wineserver -k >/dev/null 2>&1 || true
    timeout 60 wineserver -w >/dev/null 2>&1 || true
    stop_wine_display
}
