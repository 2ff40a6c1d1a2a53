#!/usr/bin/env bash
# Takes pictures of the Windows program as wine draws it: starts qz7manager.exe (from the
# Windows build) under wine with Qt's windows platform on an Xvfb display, in a copy of demo/,
# saves the launch manager, clicks its server button, and saves the server setup window.
# Everything runs inside a network namespace of its own (unshare -n), with a wine prefix of its
# own, so it disturbs neither the network nor a test run.
#
# Usage: tools/windows/screenshot.sh [build folder] [output folder]
#        (defaults: build-windows, <build folder>/screenshots); needs tools/windows/run-tests.sh
#        or a build of the qz7manager target done before.
# Writes launch_manager.png, server_setup.png and screen.png (the whole display).
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(cd "$script_dir/../.." && pwd)"
manager_title="Менеджер запуска игры Steel Horizon"
setup_title="Настройка выделенного сервера QZ7 для TeknoGods 2.8.0.4"

log() { printf '[screenshot] %s\n' "$*" >&2; }

# Waits up to 60 s for a visible window with exactly this title; prints its id.
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

run_inside_namespace() {
    local build_dir="$1" output="$2"
    # shellcheck source=wine-env.sh
    . "$script_dir/wine-env.sh"
    ip link set lo up
    network_isolated || { log "not in a loopback-only network namespace"; return 1; }

    # Global, not local: the EXIT trap runs after this function has returned.
    program_pid=""
    cleanup() {
        [ -z "$program_pid" ] || kill "$program_pid" 2>/dev/null || true
        stop_wine
    }
    trap cleanup EXIT
    start_wine "$build_dir/wine-prefix-screenshot" "$build_dir/wineboot-screenshot.log"
    mkdir -p "$output"

    local game="$build_dir/screenshot-game"
    rm -rf "$game"
    cp -r "$repo_root/demo" "$game"
    (cd "$game" && exec timeout 300 "$WINELOADER" "$build_dir/app/qz7manager.exe" \
        -platform windows >"$output/wine.log" 2>&1) &
    program_pid=$!

    local manager setup
    manager="$(wait_for_window "$manager_title")"
    sleep 2  # the ticker moves in
    import -window "$manager" "$output/launch_manager.png"
    # The server button, RzBtnServerRun at (264, 90), 233 x 37 in the window's client area.
    xdotool mousemove --window "$manager" 380 108 click 1
    setup="$(wait_for_window "$setup_title")"
    sleep 2
    import -window "$setup" "$output/server_setup.png"
    import -window root "$output/screen.png"
    log "wrote $output/launch_manager.png, server_setup.png, screen.png"
}

if [ "${1:-}" = "--inside-namespace" ]; then
    run_inside_namespace "$2" "$3"
    exit $?
fi

build_dir="$(realpath "${1:-$repo_root/build-windows}")"
output="$(realpath -m "${2:-$build_dir/screenshots}")"
[ -f "$build_dir/app/qz7manager.exe" ] || { log "no $build_dir/app/qz7manager.exe"; exit 1; }
exec unshare -n -- "$0" --inside-namespace "$build_dir" "$output"
