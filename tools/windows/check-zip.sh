#!/usr/bin/env bash
# Makes the Windows zip with CPack, unpacks it into a fresh folder beside a fresh copy of demo/,
# checks that it holds what a host needs, and starts the unpacked qz7manager.exe in the game
# folder as check-manager-shown.sh does, and the unpacked qz7ctl.exe once: a DLL missing from the
# zip stops either at start.
#
# Usage: check-zip.sh BUILD_FOLDER WORK_FOLDER
# Needs the wine environment of run-tests.sh (its network namespace and X display).
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build_dir="$(realpath "$1")"
work="$(realpath -m "$2")"

rm -rf "$work"
mkdir -p "$work/unpacked"
cpack -G ZIP --config "$build_dir/CPackConfig.cmake" -B "$work/package" >/dev/null
zips=("$work"/package/qz7-*-win64.zip)
[ "${#zips[@]}" -eq 1 ] && [ -f "${zips[0]}" ] || { echo "no single qz7-*-win64.zip" >&2; exit 1; }
(cd "$work/unpacked" && cmake -E tar xf "${zips[0]}")
unpacked="$work/unpacked/$(basename "${zips[0]}" .zip)"

missing=0
for file in qz7manager.exe qz7ctl.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    platforms/qwindows.dll styles/qwindowsvistastyle.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll README.txt \
    licenses/qt/LGPL-3.0-only.txt licenses/mingw-w64-runtime/gcc-runtime-copyright.txt; do
    if [ ! -s "$unpacked/$file" ]; then
        echo "$(basename "${zips[0]}") lacks $file" >&2
        missing=$((missing + 1))
    fi
done
[ "$missing" -eq 0 ]

"$script_dir/check-manager-shown.sh" "$unpacked/qz7manager.exe" "$work/game"
(cd "$work/game" && timeout 120 "$script_dir/wine-run.sh" "$unpacked/qz7ctl.exe" list >/dev/null)
echo "$(basename "${zips[0]}"): complete, and both programs start from it"
