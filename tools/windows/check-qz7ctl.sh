#!/usr/bin/env bash
# Runs qz7ctl of the Linux build and qz7ctl.exe of the Windows build (under wine) on two copies of
# the demo game folder with the same template store, and checks that both write the same bytes:
# list, export, import (the store file) and generate (the three server files).
#
# Usage: check-qz7ctl.sh LINUX_QZ7CTL WINDOWS_QZ7CTL_EXE WORK_FOLDER
# Needs the wine environment of run-tests.sh (inside its network namespace, wineserver running).
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo_root="$(cd "$script_dir/../.." && pwd)"
linux_qz7ctl="$(realpath "$1")"
windows_qz7ctl="$(realpath "$2")"
work="$(realpath -m "$3")"

rm -rf "$work"
mkdir -p "$work"
for side in linux windows; do
    cp -r "$repo_root/demo" "$work/$side"
    cp "$repo_root/tests/data/template_store_seeds/two_records_and_a_partial.cfg" \
        "$work/$side/ServerSetup_QZ7.cfg"
done

# Runs one side's qz7ctl in its game folder (the current folder is the game folder).
run() {
    local side="$1"
    shift
    if [ "$side" = linux ]; then
        (cd "$work/linux" && "$linux_qz7ctl" "$@")
    else
        (cd "$work/windows" && "$script_dir/wine-run.sh" "$windows_qz7ctl" "$@")
    fi
}

failures=0
passed=0
same() {
    local what="$1" relative="$2"
    if cmp -s "$work/linux/$relative" "$work/windows/$relative"; then
        passed=$((passed + 1))
    else
        echo "qz7ctl.exe differs from qz7ctl: $what ($relative)" >&2
        cmp "$work/linux/$relative" "$work/windows/$relative" >&2 || true
        failures=$((failures + 1))
    fi
}

for side in linux windows; do
    # Standard output is text on Windows: each line break comes out as CR LF.
    run "$side" list | sed 's/\r$//' >"$work/$side/list.txt"
    run "$side" list --json | sed 's/\r$//' >"$work/$side/list.json"
    run "$side" export '#1' -o exported.txt
    run "$side" import exported.txt --name "Импорт"
    run "$side" generate '#2' --fixed-weights >/dev/null
done

same "list" list.txt
same "list --json" list.json
same "export" exported.txt
same "import" ServerSetup_QZ7.cfg
same "generate: recipe" admin/Manual_Mod.dsr
same "generate: playlist" admin/Manual_MapRot.dspl
same "generate: server configuration" admin/server_mod.cfg

echo "qz7ctl.exe against qz7ctl: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
