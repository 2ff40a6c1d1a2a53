#!/bin/bash
# qz7ctl serve forwards the ports, keeps the demo folder's stand-in server running, and on SIGTERM
# stops it and removes the ports again. Runs inside the LAN namespace of igd_harness.sh;
# $1 is the qz7ctl program, $2 the demo game folder.
set -u
qz7ctl=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "qz7ctl_serve: $*" >&2; [ -f "$work/serve.log" ] && cat "$work/serve.log" >&2; exit 1; }
mapped() { grep -c ':QZ7$' "$IGD_LEASE_FILE" 2>/dev/null; }

cp -r "$2/." "$work/"
cd "$work" || fail "no work folder"
{
    echo "Name=Сервер"
    keys=(GameMode MaxHealth Hardcore ScoreLimit TimeLimit FriendlyFire NoUnderbarrel KillCam
        NoDefaultClasses Password Perks ThirdPerson CustomClasses HeadshotsOnly RadarAlwaysOn
        Killstreaks Lives Spectator HealthRegen MaxPlayers)
    values=("все против всех" 50 0 5000 15 1 1 1 0 "" 1 0 1 0 0 1 0 1 5 12)
    for i in "${!keys[@]}"; do echo "${keys[$i]}=${values[$i]}"; done
    echo "CommandLine=+set dedicated 1"
    echo "Map=mp_dome"
} >template.txt
"$qz7ctl" import template.txt >/dev/null || fail "import failed"

QZ7_STAND_IN=run "$qz7ctl" serve Сервер --ports --json 2>serve.log &
serve_pid=$!
for _ in $(seq 1 300); do
    grep -q '"event":"started"' serve.log && break
    kill -0 "$serve_pid" 2>/dev/null || fail "serve ended before the server started"
    sleep 0.1
done
grep -q '"event":"started"' serve.log || fail "the server did not start"
forwarded=$(mapped)
[ "${forwarded:-0}" -eq 70 ] || fail "${forwarded:-0} mappings while serving, not 70"
server_pid=$(sed -n 's/.*"event":"started".*"pid":\([0-9]*\).*/\1/p' serve.log)

kill -TERM "$serve_pid"
wait "$serve_pid"
status=$?
[ "$status" -eq 0 ] || fail "serve ended with $status after SIGTERM"
left=$(mapped)
[ "${left:-0}" -eq 0 ] || fail "$left mappings left"
grep -q '"event":"ports-removed"' serve.log || fail "no removal reported"
grep -q '"message":"получен SIGTERM"' serve.log || fail "the signal was not reported"
! kill -0 "$server_pid" 2>/dev/null || fail "the stand-in server $server_pid still runs"
echo "qz7ctl_serve: ok"
