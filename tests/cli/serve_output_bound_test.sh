#!/bin/bash
# A serve started as the window starts it (--bounded-output, its standard error a file) keeps that
# file under its bound however many events come: here a bound of 2 KiB (the test's own,
# QZ7_TEST_SERVE_OUTPUT_BOUND) and a stand-in server that crashes forty times. The file ends with
# the latest lines, whole. $1 is the qz7ctl program, $2 the demo game folder.
set -u
qz7ctl=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "serve_output_bound: FAILED: $*" >&2; cat "$work/qz7-serve.err" >&2; exit 1; }
cp -r "$2/." "$work/"
cd "$work" || fail "no work folder"

QZ7_TEST_SERVE_OUTPUT_BOUND=2048 QZ7_STAND_IN=crash "$qz7ctl" serve 'Турнир' --bounded-output \
    --quiet-server --allow-sleep --restart-delay 0.001 --max-restart-delay 0.001 \
    --crash-limit 40 >/dev/null 2>qz7-serve.err
status=$?
[ "$status" -eq 1 ] || fail "serve ended with $status, not 1 after its crash limit"
size=$(stat -c %s qz7-serve.err)
[ "$size" -le 2048 ] || fail "qz7-serve.err holds $size bytes, more than its bound"
[ "$(grep -c 'сервер упал:' qz7-serve.log)" -eq 40 ] || fail "the event log lost crashes"
tail -n 1 qz7-serve.err | grep -q "сервер упал 40 раз" || fail "the last line is not the last event"
head -n 1 qz7-serve.err | grep -q "^[0-3][0-9]\.[01][0-9]\.20[0-9][0-9] " ||
    fail "the file does not begin with a whole line"
[ "$(tr -d '\000' <qz7-serve.err | wc -c)" -eq "$size" ] || fail "the file holds NUL bytes (a gap)"
echo "serve_output_bound: $size bytes after 40 crashes"
