#!/usr/bin/env bash
# Runs one Qt Test program of the Windows build under wine, offscreen (or with the Qt platform
# QZ7_QT_PLATFORM names, such as "windows" on the X display of run-tests.sh), and prints its
# results.
# Under wine a Qt Test program's own output never reaches the Unix side, so the results go to a
# file, printed afterwards; the exit status is the program's.
# Usage: WINEPREFIX=FOLDER run-qt-test.sh PROGRAM.exe
set -euo pipefail
results="$(mktemp --suffix=.txt)"
trap 'rm -f "$results"' EXIT
status=0
# The platform is chosen on the command line: the program does not see the Unix QT_QPA_PLATFORM.
"$(dirname "$0")/wine-run.sh" "$1" -platform "${QZ7_QT_PLATFORM:-offscreen}" \
    -o "Z:${results//\//\\},txt" || status=$?
cat "$results"
exit "$status"
