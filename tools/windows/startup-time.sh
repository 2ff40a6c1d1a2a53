#!/usr/bin/env bash
# Measures the start-up of qz7manager.exe under wine, with Qt's windows platform on an Xvfb
# display: the wall time from starting it until it has ended by itself right after the first paint
# of its launch manager (QZ7_EXIT_WHEN_SHOWN=1), in a fresh copy of demo/. One start to warm up,
# then RUNS starts (default 15); prints each time and the median in milliseconds. Runs inside a
# network namespace of its own (unshare -n) with a wine prefix of its own.
#
# Usage: tools/windows/startup-time.sh PROGRAM_FOLDER [RUNS]
#        PROGRAM_FOLDER holds qz7manager.exe with its DLLs (build-windows/app, or an unpacked zip).
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(cd "$script_dir/../.." && pwd)"

log() { printf '[startup-time] %s\n' "$*" >&2; }

run_inside_namespace() {
    local folder="$1" runs="$2" work="$3"
    # shellcheck source=wine-env.sh
    . "$script_dir/wine-env.sh"
    ip link set lo up
    network_isolated || { log "not in a loopback-only network namespace"; return 1; }
    trap stop_wine EXIT
    start_wine "$work/wine-prefix" "$work/wineboot.log"
    rm -rf "$work/game"
    cp -r "$repo_root/demo" "$work/game"
    cd "$work/game"
    local run started ended times=()
    for run in $(seq 0 "$runs"); do
        started="$(date +%s%N)"
        QZ7_EXIT_WHEN_SHOWN=1 timeout 120 "$WINELOADER" "$folder/qz7manager.exe" \
            -platform windows >/dev/null 2>&1 || { log "start $run failed"; return 1; }
        ended="$(date +%s%N)"
        [ "$run" -eq 0 ] && continue  # the warm-up start
        times+=($(((ended - started) / 1000000)))
        log "start $run: ${times[-1]} ms"
    done
    printf '%s\n' "${times[@]}" | sort -n |
        awk '{ t[NR] = $1 } END { m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2;
                                  printf "median %d ms of %d starts\n", m, NR }'
}

if [ "${1:-}" = "--inside-namespace" ]; then
    run_inside_namespace "$2" "$3" "$4"
    exit $?
fi

[ "$#" -ge 1 ] || { echo "usage: $0 PROGRAM_FOLDER [RUNS]" >&2; exit 2; }
folder="$(realpath "$1")"
[ -f "$folder/qz7manager.exe" ] || { log "no $folder/qz7manager.exe"; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
unshare -n -- "$0" --inside-namespace "$folder" "${2:-15}" "$work"
