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

# shellcheck source=pictures-env.sh
. "$script_dir/pictures-env.sh"

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
    start_side_by_side "$build_dir/wine-prefix-screenshot" "$build_dir/wineboot-screenshot.log"
    mkdir -p "$output"

    local scale game
    for scale in 100 150; do
        set_scale "$scale"
        game="$build_dir/screenshot-game"
        rm -rf "$game"
        cp -r "$repo_root/demo" "$game"
        start_windows_program "$game" "$output/wine-$scale.log"
        DISPLAY="$wine_display" drive_program "$output/windows-$scale"
        end_program

        game="$build_dir/screenshot-game-linux"
        rm -rf "$game"
        cp -r "$repo_root/demo" "$game"
        start_linux_program "$game" "$output/linux-$scale.log"
        DISPLAY="$linux_display" drive_program "$output/linux-$scale"
        end_program

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
    build_dir="$2" output="$3" linux_build="$4"
    run_inside_namespace
    exit $?
fi

build_dir="$(realpath "${1:-$repo_root/build-windows}")"
output="$(realpath -m "${2:-$build_dir/screenshots}")"
linux_build="$(realpath "${3:-$repo_root/build}")"
[ -f "$build_dir/app/qz7manager.exe" ] || { log "no $build_dir/app/qz7manager.exe"; exit 1; }
[ -x "$linux_build/app/qz7manager" ] || { log "no $linux_build/app/qz7manager"; exit 1; }
exec unshare -n -- "$0" --inside-namespace "$build_dir" "$output" "$linux_build"
