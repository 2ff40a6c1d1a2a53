#!/bin/bash
# The lock of the game folder held by a serve that has not written its id yet, the file still
# naming an earlier serve whose id now belongs to another program (here the test's own sleep):
# stop and restart refuse, say why, and signal nobody; status names no id. $1 is the qz7ctl
# program, $2 the demo game folder.
set -u
qz7ctl=$1
work=$(mktemp -d)
sleeper=
cleanup() {
    [ -n "$sleeper" ] && { kill -KILL "$sleeper"; wait "$sleeper"; } 2>/dev/null
    exec 9>&-
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "serve_lock_stale_pid: $*" >&2; for f in "$work"/*.txt; do [ -f "$f" ] && { echo "== $f" >&2; cat "$f" >&2; }; done; exit 1; }

cp -r "$2/." "$work/"
cd "$work" || fail "no work folder"
sleep 60 &
sleeper=$!
printf 'pid=%s\nsince=2026-12-08T01:30:00.125Z\n' "$sleeper" >qz7-serve.lock
# This shell holds the lock as a serve does between taking it and writing its id.
exec 9<>qz7-serve.lock
flock -n 9 || fail "could not take the lock"

for request in stop restart; do
    "$qz7ctl" "$request" >"$request.txt" 2>&1
    status=$?
    [ "$status" -eq 1 ] || fail "$request ended with $status, not 1"
    grep -q "не записал свой номер процесса в qz7-serve.lock" "$request.txt" ||
        fail "$request did not say why"
    kill -0 "$sleeper" 2>/dev/null || fail "$request signalled the process the file names"
done
"$qz7ctl" status >status.txt
[ $? -eq 0 ] || fail "status of a held folder is not 0"
grep -q "pid неизвестен" status.txt || fail "status named an id that is not the holder's"
grep -q "pid $sleeper" status.txt && fail "status named the sleeper"

# Let go: nothing runs here any more.
exec 9>&-
"$qz7ctl" stop >stop.txt 2>&1
[ $? -eq 3 ] || fail "stop without a holder is not 3"
kill -0 "$sleeper" 2>/dev/null || fail "the sleeper did not live on"
exit 0
