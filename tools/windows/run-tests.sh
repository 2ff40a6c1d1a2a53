#!/usr/bin/env bash
# Builds the whole program for Windows with the mingw-w64 cross toolchain, on a Qt of our own
# (tools/windows/build-qt.sh, cached outside the repository: built once per machine), and runs
# the tests through ctest under wine: the core tests, the Windows platform layer, the window
# tests offscreen and qz7manager.exe on an X display.
#
# Wine runs only inside a network namespace of its own with nothing but the loopback interface.
# An Xvfb display is started inside it for the tests that show real windows. A persistent
# wineserver is started and the prefix initialised (wineboot -i) before ctest, so that no test
# waits on wine's background services; wineserver and Xvfb are stopped again at the end.
#
# Usage: tools/windows/run-tests.sh [build folder]     (default: build-windows)
# Environment: WIN_WITH_QT       0: leave out our Qt and the windows (default 1: build our Qt
#                                 once per machine, and the windows with it)
#              WIN_TEST_TIMEOUT  seconds allowed for one test (default 300)
#              WIN_BUILD_JOBS    parallel build jobs (default 2)
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(cd "$script_dir/../.." && pwd)"

log() { printf '[windows] %s\n' "$*" >&2; }
# shellcheck source=../run-phase.sh
. "$repo_root/tools/run-phase.sh"

# The part that runs inside the network namespace: wine and ctest.
run_inside_namespace() {
    local build_dir="$1"
    # shellcheck source=wine-env.sh
    . "$script_dir/wine-env.sh"
    ip link set lo up
    if ! network_isolated; then
        log "not in a loopback-only network namespace; refusing to run wine"
        return 1
    fi
    local status=0
    trap stop_wine EXIT
    phase wine start
    local started=$SECONDS
    start_wine "$build_dir/wine-prefix" "$build_dir/wineboot.log"
    set_offscreen_fonts "$build_dir/wine-fonts"
    log "wine prefix ready in $((SECONDS - started)) s (X display $QZ7_WINE_DISPLAY)"

    # qz7ctl.exe against the Linux build's qz7ctl (built by tools/run-tests.sh before this). A
    # failed check sets status to non-zero; ctest still runs, so its summary comes last.
    local linux_qz7ctl="$repo_root/build/cli/qz7ctl"
    if [ -x "$linux_qz7ctl" ]; then
        log "comparing qz7ctl.exe with the Linux qz7ctl"
        "$script_dir/check-qz7ctl.sh" "$linux_qz7ctl" "$build_dir/cli/qz7ctl.exe" \
            "$build_dir/qz7ctl-check" || status=$?
        # The zip's check compares the stripped qz7ctl.exe it ships too.
        export QZ7_LINUX_QZ7CTL="$linux_qz7ctl"
    else
        log "no Linux build of qz7ctl at $linux_qz7ctl (tools/run-tests.sh makes one):" \
            "qz7ctl.exe not compared"
    fi

    log "running the tests under wine"
    phase wine tests
    ctest --test-dir "$build_dir" --output-on-failure \
        --timeout "${WIN_TEST_TIMEOUT:-300}" -j 1 || status=$?
    return "$status"
}

if [ "${1:-}" = "--inside-namespace" ]; then
    run_inside_namespace "$2"
    exit $?
fi

build_dir="$(realpath -m "${1:-$repo_root/build-windows}")"
jobs="${WIN_BUILD_JOBS:-2}"
started=$SECONDS

phase Windows third-party
"$script_dir/build-third-party.sh" "$build_dir"
prepared=$SECONDS
qt_options=(-DQZ7_BUILD_GUI=OFF)
phase Qt
if [ "${WIN_WITH_QT:-1}" = 1 ]; then
    qt_prefix="$("$script_dir/build-qt.sh" | tail -n 1)"
    qt_options=(-DQZ7_BUILD_GUI=ON -DWINDOWS_QT_PREFIX="$qt_prefix")
else
    log "without the windows (WIN_WITH_QT=0)"
fi
qt_built=$SECONDS
phase Windows build

log "configuring $build_dir"
cmake -S "$repo_root" -B "$build_dir" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$repo_root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${qt_options[@]}" \
    -DQZ7_BUILD_TESTS=ON -DQZ7_BUILD_BENCHMARKS=OFF >/dev/null
log "building"
cmake --build "$build_dir" -j "$jobs"
built=$SECONDS

log "tools and third-party libraries $((prepared - started)) s, Qt $((qt_built - prepared)) s," \
    "build $((built - qt_built)) s"

# ctest's summary stays the last thing printed.
exec unshare -n -- "$script_dir/run-tests.sh" --inside-namespace "$build_dir"
