#!/usr/bin/env bash
# Takes pictures of the Windows program as wine draws it, beside the Linux program, for a
# reviewer: at 100 % and at 150 %, the launch manager, the server setup window, the template-name
# dialog and a message box (the name dialog's refusal of an empty name).
#
# Windows: qz7manager.exe under wine with Qt's windows platform on an Xvfb display, wine's
# LogPixels set to the scale, wine drawing the window frames itself (no window manager).
# Linux: the Linux qz7manager with Qt's xcb platform on a second Xvfb display with openbox for the
# frames, its Xft.dpi set to the scale. Each in a fresh copy of demo/, driven with the mouse through
# xdotool. Everything runs inside a network namespace of its own (unshare -n), with a wine prefix
# of its own, so it disturbs neither the network nor a test run.
#
# Usage: tools/windows/screenshot.sh [build folder] [output folder] [Linux build folder]
#        (defaults: build-windows, <build folder>/screenshots, build); needs the qz7manager
#        target built in both (tools/windows/run-tests.sh, tools/run-tests.sh).
# Writes, for SCALE 100 and 150 and WINDOW launch_manager, server_setup, name_dialog and
# message_box: windows-SCALE-WINDOW.png, linux-SCALE-WINDOW.png and, the two side by side,
# SCALE-WINDOW.png.
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(cd "$script_dir/../.." && pwd)"
manager_title="Менеджер запуска игры Steel Horizon"
setup_title="Настройка выделенного сервера QZ7 для TeknoGods 2.8.0.4"
dialog_title="FmQZ7_Save"
message_title="Error"
windows_list=(launch_manager server_setup name_dialog message_box)

log() { printf '[screenshot] %s\n' "$*" >&2; }

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

# Drives the program started in the background (PID in program_pid) on DISPLAY through its four
# windows and saves them as PREFIX-WINDOW.png. Positions are in the windows' client areas at the
# design size: the scale factor rounds down to 1 at 150 %.
drive_program() {
    local prefix="$1" manager setup dialog message
    manager="$(wait_for_window "$manager_title")"
    sleep 2  # the ticker moves in
    save_window "$manager" "$prefix-launch_manager.png"
    # The server button, RzBtnServerRun at (264, 90), 233 x 37.
    click_client "$manager" 527 182 380 108
    setup="$(wait_for_window "$setup_title")"
    sleep 2
    save_window "$setup" "$prefix-server_setup.png"
    # "Новый", RzBitBtnNewShablon at (706, 28), 151 x 30, opens the name dialog.
    click_client "$setup" 869 756 780 43
    dialog="$(wait_for_window "$dialog_title")"
    sleep 1
    save_window "$dialog" "$prefix-name_dialog.png"
    # "OK", RzBitBtnOk at (12, 70), 130 x 28, with no name: the refusal.
    click_client "$dialog" 300 110 76 84
    message="$(wait_for_window "$message_title")"
    sleep 1
    save_window "$message" "$prefix-message_box.png"
}

run_inside_namespace() {
    local build_dir="$1" output="$2" linux_build="$3"
    # shellcheck source=wine-env.sh
    . "$script_dir/wine-env.sh"
    ip link set lo up
    network_isolated || { log "not in a loopback-only network namespace"; return 1; }

    # Global, not local: the EXIT trap runs after this function has returned.
    program_pid="" linux_xvfb_pid="" openbox_pid=""
    cleanup() {
        local pid
        for pid in "$program_pid" "$openbox_pid" "$linux_xvfb_pid"; do
            [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
        done
        stop_wine
    }
    trap cleanup EXIT
    QZ7_WINE_SCREEN=1920x1080x24 start_wine "$build_dir/wine-prefix-screenshot" \
        "$build_dir/wineboot-screenshot.log"
    local wine_display="$QZ7_WINE_DISPLAY" wine_xvfb_pid="$QZ7_XVFB_PID"
    # The Linux display: start_wine_display again, its numbers kept apart from wine's.
    QZ7_WINE_SCREEN=1920x1080x24 start_wine_display
    local linux_display="$QZ7_WINE_DISPLAY"
    linux_xvfb_pid="$QZ7_XVFB_PID"
    QZ7_WINE_DISPLAY="$wine_display" QZ7_XVFB_PID="$wine_xvfb_pid"
    DISPLAY="$linux_display" openbox >/dev/null 2>&1 &
    openbox_pid=$!
    mkdir -p "$output"

    local scale game
    for scale in 100 150; do
        # Windows.
        timeout 120 "$WINELOADER" reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
            /t REG_DWORD /d $((96 * scale / 100)) /f >/dev/null
        game="$build_dir/screenshot-game"
        rm -rf "$game"
        cp -r "$repo_root/demo" "$game"
        (cd "$game" && exec timeout 300 "$WINELOADER" "$build_dir/app/qz7manager.exe" \
            -platform windows >"$output/wine-$scale.log" 2>&1) &
        program_pid=$!
        DISPLAY="$wine_display" drive_program "$output/windows-$scale"
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
        program_pid=""

        # Linux.
        # Xft.dpi, as xrdb would set it.
        DISPLAY="$linux_display" xprop -root -f RESOURCE_MANAGER 8s \
            -set RESOURCE_MANAGER "Xft.dpi:	$((96 * scale / 100))"
        game="$build_dir/screenshot-game-linux"
        rm -rf "$game"
        cp -r "$repo_root/demo" "$game"
        (cd "$game" && DISPLAY="$linux_display" QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \
            exec timeout 300 "$linux_build/app/qz7manager" >"$output/linux-$scale.log" 2>&1) &
        program_pid=$!
        DISPLAY="$linux_display" drive_program "$output/linux-$scale"
        kill "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
        program_pid=""

        local window
        for window in "${windows_list[@]}"; do
            convert "$output/windows-$scale-$window.png" "$output/linux-$scale-$window.png" \
                -background white -gravity north +append \
                "$output/$scale-$window.png"
        done
    done
    log "wrote ${#windows_list[@]} pictures a scale, Windows at the left, to $output"
}

if [ "${1:-}" = "--inside-namespace" ]; then
    run_inside_namespace "$2" "$3" "$4"
    exit $?
fi

build_dir="$(realpath "${1:-$repo_root/build-windows}")"
output="$(realpath -m "${2:-$build_dir/screenshots}")"
linux_build="$(realpath "${3:-$repo_root/build}")"
[ -f "$build_dir/app/qz7manager.exe" ] || { log "no $build_dir/app/qz7manager.exe"; exit 1; }
[ -x "$linux_build/app/qz7manager" ] || { log "no $linux_build/app/qz7manager"; exit 1; }
exec unshare -n -- "$0" --inside-namespace "$build_dir" "$output" "$linux_build"
