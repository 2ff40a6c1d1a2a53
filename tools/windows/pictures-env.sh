# What the scripts that take pictures of the windows share: the Windows program under wine and
# the Linux program side by side, each on an X display of its own inside a loopback-only network
# namespace, and finding, saving and clicking windows there with xdotool, xwininfo and
# ImageMagick's import (apt-get install xdotool imagemagick openbox). The sourcing script defines
# script_dir, build_dir (the Windows build), linux_build and a function log.

# Waits up to 60 s for a visible window with exactly this title on DISPLAY; prints its id.
wait_for_window() {
    local title="$1" attempt id
    for attempt in $(seq 1 120); do
        id="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)"
        if [ -n "$id" ]; then
            printf '%s\n' "$id"
            return 0
        fi
        sleep 0.5
    done
    log "no window \"$title\" appeared"
    return 1
}

# Saves a window with its frame: the frame is the window manager's parent window on Linux.
save_window() {
    local id="$1" file="$2" frame
    frame="$(xwininfo -children -id "$id" 2>/dev/null |
        sed -n 's/^  Parent window id: \(0x[0-9a-f]*\).*/\1/p')"
    if [ -n "$frame" ] && ! xwininfo -id "$frame" 2>/dev/null | grep -q '(the root window)'; then
        id="$frame"
    fi
    import -window "$id" "$file"
}

# Clicks at X, Y of the client area of the window ID, whose client area is WIDTH x HEIGHT. Wine
# draws the frame inside the X window (border at both sides and the bottom, title bar on top);
# under openbox the X window is the client area alone.
click_client() {
    local id="$1" width="$2" height="$3" x="$4" y="$5" WIDTH HEIGHT border
    eval "$(xdotool getwindowgeometry --shell "$id" | grep -E '^(WIDTH|HEIGHT)=')"
    border=$(((WIDTH - width) / 2))
    xdotool mousemove --window "$id" $((border + x)) $((HEIGHT - height - border + y)) click 1
}

# Wine's prefix with its X display, and a second X display for the Linux program with openbox
# drawing its frames, both 1920 x 1080; everything started here ends when the script exits. Sets
# wine_display and linux_display.
start_side_by_side() {
    local prefix="$1" log_file="$2"
    # shellcheck source=wine-env.sh
    . "$script_dir/wine-env.sh"
    ip link set lo up
    network_isolated || { log "not in a loopback-only network namespace"; return 1; }
    # Global: the EXIT trap runs after the caller has returned.
    program_pid="" linux_xvfb_pid="" openbox_pid=""
    trap stop_side_by_side EXIT
    QZ7_WINE_SCREEN=1920x1080x24 start_wine "$prefix" "$log_file"
    wine_display="$QZ7_WINE_DISPLAY"
    local wine_xvfb_pid="$QZ7_XVFB_PID"
    # The Linux display: start_wine_display again, its numbers kept apart from wine's.
    QZ7_WINE_SCREEN=1920x1080x24 start_wine_display
    linux_display="$QZ7_WINE_DISPLAY"
    linux_xvfb_pid="$QZ7_XVFB_PID"
    QZ7_WINE_DISPLAY="$wine_display" QZ7_XVFB_PID="$wine_xvfb_pid"
    DISPLAY="$linux_display" openbox >/dev/null 2>&1 &
    openbox_pid=$!
    # openbox takes the display before the first window shows, or that one stays unmanaged.
    sleep 2
}

stop_side_by_side() {
    local pid
    for pid in "$program_pid" "$openbox_pid" "$linux_xvfb_pid"; do
        [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    done
    stop_wine
}

# The scale in percent for the programs started next: wine's LogPixels, and Xft.dpi of the Linux
# display as xrdb would set it.
set_scale() {
    timeout 120 "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d $((96 * $1 / 100)) /f >/dev/null
    DISPLAY="$linux_display" xprop -root -f RESOURCE_MANAGER 8s \
        -set RESOURCE_MANAGER "Xft.dpi:	$((96 * $1 / 100))"
}

# Starts qz7manager.exe under wine with Qt's windows platform in the game folder GAME, its output
# into LOG; further arguments are VARIABLE=value for its environment.
start_windows_program() {
    local game="$1" log_file="$2"
    shift 2
    (cd "$game" && exec env "$@" timeout 300 "$WINELOADER" "$build_dir/app/qz7manager.exe" \
        -platform windows >"$log_file" 2>&1) &
    program_pid=$!
}

# Starts the Linux qz7manager with Qt's xcb platform the same way.
start_linux_program() {
    local game="$1" log_file="$2"
    shift 2
    (cd "$game" && exec env DISPLAY="$linux_display" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$@" \
        timeout 300 "$linux_build/app/qz7manager" >"$log_file" 2>&1) &
    program_pid=$!
}

end_program() {
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    program_pid=""
}
