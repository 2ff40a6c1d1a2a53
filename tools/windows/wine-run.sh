#!/bin/sh
# Runs one Windows program under wine; the cross toolchain names this as the emulator of ctest.
# Usage: WINEPREFIX=FOLDER wine-run.sh PROGRAM.exe [ARGUMENT...]
# It refuses to run outside a loopback-only network namespace (start ctest under `unshare -n`,
# as tools/windows/run-tests.sh does).
set -eu
. "$(dirname "$0")/wine-env.sh"

if [ "$#" -lt 1 ] || [ -z "${WINEPREFIX:-}" ]; then
    echo "usage: WINEPREFIX=FOLDER $0 PROGRAM.exe [ARGUMENT...]" >&2
    exit 2
fi
if ! network_isolated; then
    echo "wine-run.sh: refusing to run wine outside a loopback-only network namespace;" \
        "run under 'unshare -n' (see tools/windows/run-tests.sh)" >&2
    exit 2
fi
wine_environment "$WINEPREFIX"
exec "$WINELOADER" "$@"
