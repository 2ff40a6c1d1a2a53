#!/usr/bin/env bash
# Starts qz7manager.exe under wine with Qt's windows platform on the X display of run-tests.sh,
# in GAME_FOLDER, made a fresh copy of demo/, as its working folder, with QZ7_EXIT_WHEN_SHOWN=1: the program closes its
# launch manager right after the window's first paint and ends. It passes when the program ends
# on its own with status 0 in time; a window that never shows (no display, a missing DLL or
# plugin) never gets there.
#
# Usage: check-manager-shown.sh QZ7MANAGER_EXE GAME_FOLDER
# Needs the wine environment of run-tests.sh (its network namespace and X display).
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
program="$(realpath "$1")"
game_folder="$(realpath -m "$2")"

if [ -z "${QZ7_WINE_DISPLAY:-}" ]; then
    echo "no X display for wine (QZ7_WINE_DISPLAY); run through tools/windows/run-tests.sh" >&2
    exit 1
fi

rm -rf "$game_folder"
mkdir -p "$(dirname "$game_folder")"
cp -r "$script_dir/../../demo" "$game_folder"
cd "$game_folder"
# shellcheck source=wine-env.sh
. "$script_dir/wine-env.sh"
wait_for_wine_desktop_to_end
set +e
QZ7_EXIT_WHEN_SHOWN=1 timeout 120 "$script_dir/wine-run.sh" "$program" -platform windows
status=$?
set -e
case "$status" in
    0) echo "$(basename "$program") showed its launch manager and ended" ;;
    124) echo "$(basename "$program") did not end within 120 s: its window never showed" >&2 ;;
    *) echo "$(basename "$program") ended with status $status" >&2 ;;
esac
exit "$status"
