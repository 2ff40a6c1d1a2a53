#!/usr/bin/env bash
# serve holds logind's sleep inhibitor while it runs a server and lets it go when it ends; with
# --allow-sleep it takes none. logind is a stand-in (fake_logind) on a private system bus of the
# test's own, so this runs where no logind does.
#
# Usage: sleep_inhibitor_test.sh QZ7CTL FAKE_LOGIND DEMO_DIR
set -u
qz7ctl="$(realpath "$1")"
fake_logind="$(realpath "$2")"
command -v dbus-daemon >/dev/null || { echo "dbus-daemon is missing (package dbus-daemon)"; exit 77; }
work="$(mktemp -d)"
started=()
cleanup() {
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "sleep_inhibitor: $*" >&2; cat "$work"/record "$work"/game/serve.txt >&2 2>/dev/null; exit 1; }
wait_for() {
    for _ in $(seq 1 300); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
    fail "no '$1' in $2"
}

cat >"$work/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=$work/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
CONF
dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile 2>"$work/bus.log" &
started+=("$!")
for _ in $(seq 1 100); do [ -S "$work/bus" ] && break; sleep 0.05; done
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/bus"
"$fake_logind" "$work/record" &
logind=$!
started+=("$logind")
for _ in $(seq 1 100); do grep -q ready "$work/record" 2>/dev/null && break; sleep 0.1; done
kill -0 "$logind" 2>/dev/null && grep -q ready "$work/record" || fail "the stand-in logind did not start: $(cat "$work/bus.log")"

cp -r "$3" "$work/game"
cd "$work/game" || fail "no game folder"
QZ7_STAND_IN=run "$qz7ctl" serve '#1' 2>serve.txt &
serve=$!
started+=("$serve")
wait_for "сервер запущен" serve.txt
grep -q "^taken sleep|qz7ctl serve|.*|block$" "$work/record" || fail "no sleep inhibitor taken"
grep -q '"sleepBlocked": true' qz7-serve.json || fail "the state does not say the machine is kept awake"
"$qz7ctl" status | grep -q "Сон компьютера: запрещён" || fail "status does not say so"
grep -q released "$work/record" && fail "released while the server runs"
"$qz7ctl" stop >/dev/null || fail "stop"
wait "$serve"
wait_for released "$work/record"

: >"$work/record"
QZ7_STAND_IN=clean "$qz7ctl" serve '#1' --allow-sleep 2>serve.txt || fail "serve --allow-sleep"
grep -q taken "$work/record" && fail "--allow-sleep took an inhibitor"
echo "sleep_inhibitor: ok"
