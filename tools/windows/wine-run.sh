#!/usr/bin/env bash
# Runs one Windows program under wine; the cross toolchain names this as the emulator of ctest.
# Usage: WINEPREFIX=FOLDER wine-run.sh PROGRAM.exe [ARGUMENT...]
# It refuses to run outside a loopback-only network namespace (start ctest under `unshare -n`,
# as tools/windows/run-tests.sh does).
set -euo pipefail
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

# Now and then wine's Linux-side loader trips over an assertion of the C library while the
# process exits, after the program has done its work ("Inconsistency detected by ld.so:
# dl-fini.c"). Only such a run is repeated, once; every other outcome stands as it is.
errors="$(mktemp)"
trap 'rm -f "$errors"' EXIT
for attempt in 1 2; do
    # stderr passes through as it comes and is kept for the check; stdout goes straight out.
    set +e
    { "$WINELOADER" "$@" 2>&1 1>&3 3>&- | tee "$errors" >&2; } 3>&1
    status="${PIPESTATUS[0]}"
    set -e
    if [ "$attempt" -eq 2 ] || [ "$status" -eq 0 ] ||
        ! grep -q 'Inconsistency detected by ld.so: dl-fini.c' "$errors"; then
        break
    fi
    echo "wine-run.sh: wine's loader failed while the process exited; running it once more" >&2
done
exit "$status"
