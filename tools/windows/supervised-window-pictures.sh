#!/usr/bin/env bash
# Takes the README's pictures of the window "Сервер под присмотром" with a serve running in it:
# the Windows program under wine (Qt's windows platform, wine drawing the frames) and the Linux
# program (Qt's xcb platform, openbox drawing them), each on an Xvfb display of its own at 100 %,
# in a fresh copy of demo/ whose settings schedule restarts. The server is a stand-in: the
# recording stand-in stop_recorder.exe under wine, the demo's script on Linux. The program is
# driven with the mouse through xdotool: the launch manager's server button, the setup window's
# button of the supervised server, "Запустить"; once the serve runs and its events are shown, the
# picture is taken and the serve stopped again ("Остановить"). Everything runs inside a network
# namespace of its own (unshare -n), with a wine prefix of its own.
#
# Usage: tools/windows/supervised-window-pictures.sh [build folder] [output folder] [Linux build]
#        (defaults: build-windows, docs/pictures, build); needs qz7manager and the tests built in
#        the Windows build (stop_recorder.exe) and qz7manager in the Linux build; xdotool,
#        imagemagick and openbox.
# Writes supervised-server-windows.png and supervised-server-linux.png.
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(cd "$script_dir/../.." && pwd)"
manager_title="Менеджер запуска игры Steel Horizon"
setup_title="Настройка выделенного сервера QZ7 для TeknoGods 2.8.0.4"
supervised_title="Сервер под присмотром"

log() { printf '[pictures] %s\n' "$*" >&2; }

# shellcheck source=pictures-env.sh
. "$script_dir/pictures-env.sh"

# A fresh game folder: the demo, with restarts at 04:00 and every 6 hours, and on Windows the
# recorder as the server launcher, which runs until its window is asked to close.
prepare_game() {
    local game="$1" system="$2"
    rm -rf "$game"
    cp -r "$repo_root/demo" "$game"
    printf '%s\n' 'RestartAt=04:00' 'RestartEvery=6h' 'StopGrace=3' >"$game/qz7-serve.ini"
    if [ "$system" = windows ]; then
        cp "$build_dir/tests/windows/stop_recorder.exe" "$game/TeknoQZ7_Server_Launcher.exe"
        printf '%s\n' 'Command=window' >>"$game/qz7-serve.ini"
    fi
}

# Drives the program started in the background on DISPLAY to the supervised server's window,
# starts the serve, saves the window as FILE once the serve runs, and stops the serve again.
# Positions are in the windows' client areas at the design size.
drive_program() {
    local file="$1" manager setup supervised
    manager="$(wait_for_window "$manager_title")"
    # The server button, RzBtnServerRun at (264, 90), 233 x 37.
    click_client "$manager" 527 182 380 108
    setup="$(wait_for_window "$setup_title")"
    sleep 1
    # RzBtnPrismotr at (644, 660), 213 x 22.
    click_client "$setup" 869 756 740 671
    supervised="$(wait_for_window "$supervised_title")"
    sleep 1
    # "Запустить": RzBitBtnServeStart at (10, 220) in the state group at (12, 6).
    click_client "$supervised" 640 874 107 241
    # The serve starts, the server with it, and the window's refresh shows both.
    sleep 10
    save_window "$supervised" "$file"
    # "Остановить": RzBitBtnServeStop at (416, 220) in the state group.
    click_client "$supervised" 640 874 520 241
    sleep 8
}

run_inside_namespace() {
    start_side_by_side "$build_dir/wine-prefix-pictures" "$build_dir/wineboot-pictures.log"
    mkdir -p "$output"
    set_scale 100

    local game="$build_dir/pictures-game"
    prepare_game "$game" windows
    start_windows_program "$game" "$build_dir/pictures-wine.log"
    DISPLAY="$wine_display" drive_program "$output/supervised-server-windows.png"
    end_program

    game="$build_dir/pictures-game-linux"
    prepare_game "$game" linux
    start_linux_program "$game" "$build_dir/pictures-linux.log" QZ7_STAND_IN=run
    DISPLAY="$linux_display" drive_program "$output/supervised-server-linux.png"
    end_program
    log "wrote the pictures of the supervised server's window to $output"
}

if [ "${1:-}" = "--inside-namespace" ]; then
    build_dir="$2" output="$3" linux_build="$4"
    run_inside_namespace
    exit $?
fi

build_dir="$(realpath "${1:-$repo_root/build-windows}")"
output="$(realpath -m "${2:-$repo_root/docs/pictures}")"
linux_build="$(realpath "${3:-$repo_root/build}")"
[ -f "$build_dir/app/qz7manager.exe" ] || { log "no $build_dir/app/qz7manager.exe"; exit 1; }
[ -f "$build_dir/tests/windows/stop_recorder.exe" ] || { log "no stop_recorder.exe"; exit 1; }
[ -x "$linux_build/app/qz7manager" ] || { log "no $linux_build/app/qz7manager"; exit 1; }
exec unshare -n -- "$0" --inside-namespace "$build_dir" "$output" "$linux_build"
