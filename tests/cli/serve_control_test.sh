#!/bin/bash
# qz7ctl serve holds its game folder: a second serve, generate and start-server are refused
# (--force goes ahead), status and log tell what it does, restart starts the server anew, a
# template made ambiguous meanwhile postpones the scheduled restart and refuses a requested one
# with the server kept up, stop ends it, and kill -9 of serve takes the server with it; a template
# whose name begins with a dash is served after --. $1 is the qz7ctl program, $2 the demo game
# folder.
set -u
qz7ctl=$1
work=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "serve_control: $*" >&2; for f in "$work"/*.txt "$work"/qz7-serve.log; do [ -f "$f" ] && { echo "== $f" >&2; cat "$f" >&2; }; done; exit 1; }
# Waits (at most 30 s) until the file holds the pattern.
wait_for() {
    for _ in $(seq 1 300); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
    fail "no '$1' in $2"
}
pid_of() { sed -n "s/.*\"event\":\"started\".*\"pid\":\([0-9]*\).*/\1/p" "$1" | tail -n 1; }

cp -r "$2/." "$work/"
cd "$work" || fail "no work folder"

"$qz7ctl" status >status.txt; [ $? -eq 3 ] || fail "status without a serve is not 3"
grep -qx "qz7ctl serve: не запущен" status.txt || fail "status without a serve"
"$qz7ctl" stop >stop.txt; [ $? -eq 3 ] || fail "stop without a serve is not 3"
"$qz7ctl" restart >restart.txt; [ $? -eq 3 ] || fail "restart without a serve is not 3"

QZ7_STAND_IN=run "$qz7ctl" serve 'Турнир' --json --restart-every 10s --stop-grace 2 2>serve.txt &
serve=$!
started+=("$serve")
wait_for '"event":"started"' serve.txt
server=$(pid_of serve.txt)

"$qz7ctl" serve 'Турнир' 2>second.txt; [ $? -eq 1 ] || fail "a second serve was not refused"
grep -q "уже работает qz7ctl serve (pid $serve, с [0-3][0-9]\.[01][0-9]\.20[0-9][0-9] [0-2][0-9]:[0-5][0-9]:[0-5][0-9] (UTC" second.txt ||
    fail "the running serve not named with its local start"
for command in "generate Турнир" "start-server Турнир" "ports close"; do
    $qz7ctl $command >refused.txt 2>&1; [ $? -eq 1 ] || fail "$command was not refused"
    grep -q "работает qz7ctl serve (pid $serve.*qz7ctl stop.*--force" refused.txt ||
        fail "$command: the refusal does not name the serve and the way out"
done
"$qz7ctl" generate 'Турнир' --force >forced.txt 2>&1 || fail "generate --force was refused"
grep -q "Выполняется всё равно (--force)" forced.txt || fail "generate --force gave no warning"

"$qz7ctl" status --json >status.txt; [ $? -eq 0 ] || fail "status of a running serve is not 0"
grep -q '"running": true' status.txt && grep -q "\"serverPid\": $server" status.txt &&
    grep -q '"template": "Турнир"' status.txt || fail "status --json"

# restart: the server is stopped and started anew at once, as a scheduled restart would.
"$qz7ctl" restart >restart.txt || fail "restart of a running serve failed"
grep -q "Сервер перезапущен (pid" restart.txt || fail "restart did not say so"
grep -q '"event":"requested-restart"' serve.txt || fail "the restart was not logged as asked for"
[ "$(grep -c '"event":"started"' serve.txt)" -eq 2 ] || fail "restart did not start the server anew"
kill -0 "$server" 2>/dev/null && fail "the old server $server still runs"
server=$(pid_of serve.txt)
"$qz7ctl" status >status.txt && grep -q "по запросу: 1" status.txt || fail "status after restart"

# A second template of the same name: the restart cannot tell which one is meant.
"$qz7ctl" export 'Турнир' -o again.txt && "$qz7ctl" import again.txt >/dev/null || fail "import"
wait_for '"event":"restart-postponed"' serve.txt
[ "$(grep -c '"event":"started"' serve.txt)" -eq 2 ] || fail "the server was restarted"
kill -0 "$server" 2>/dev/null || fail "the server did not stay up"
"$qz7ctl" log -n 1 >log.txt || fail "log"
[ "$(wc -l <log.txt)" -eq 1 ] && grep -q "отложен.*несколько шаблонов" log.txt || fail "log -n 1"
"$qz7ctl" restart >restart.txt 2>&1; [ $? -eq 1 ] || fail "a restart that cannot be formed succeeded"
grep -q "перезапуск по запросу не сделан.*несколько шаблонов" restart.txt || fail "restart refusal"
kill -0 "$server" 2>/dev/null || fail "a refused restart took the server down"

# log -f follows the log into the file that takes its place.
"$qz7ctl" log -n 0 -f >follow.txt &
follow=$!
started+=("$follow")
sleep 0.5
mv qz7-serve.log qz7-serve.log.1
echo "2026-12-08T10:00:00.000Z новая строка" >qz7-serve.log
wait_for "новая строка" follow.txt
kill "$follow"

"$qz7ctl" stop >stop.txt || fail "stop"
wait "$serve"; [ $? -eq 0 ] || fail "serve ended badly after stop"
! kill -0 "$server" 2>/dev/null || fail "the server outlived stop"
"$qz7ctl" status >status.txt; [ $? -eq 3 ] || fail "status after stop is not 3"
grep -q "не запущен" status.txt && grep -q "завершился" status.txt || fail "status after stop"

# kill -9 of serve: the server goes with it, the lock too.
QZ7_STAND_IN=run "$qz7ctl" serve '#1' --json 2>killed.txt &
serve=$!
started+=("$serve")
wait_for '"event":"started"' killed.txt
server=$(pid_of killed.txt)
kill -KILL "$serve"
wait "$serve" 2>/dev/null
for _ in $(seq 1 100); do kill -0 "$server" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$server" 2>/dev/null || fail "the server $server outlived serve"
"$qz7ctl" status >status.txt; [ $? -eq 3 ] || fail "status after kill -9 is not 3"
grep -q "прерван" status.txt || fail "status after kill -9 does not say it was cut short"
QZ7_STAND_IN=clean "$qz7ctl" serve '#1' 2>next.txt || fail "the next serve did not run"

# A name that begins with a dash: taken for an option unless given after --, and the usage error
# says so.
"$qz7ctl" import again.txt --name '-=RUS=- Дуэли' >/dev/null || fail "import of a dash name"
"$qz7ctl" serve '-=RUS=- Дуэли' 2>dash.txt; [ $? -eq 2 ] || fail "a dash name was not a usage error"
grep -qF "пишите после --: qz7ctl serve -- '-=RUS=- Дуэли'" dash.txt || fail "no hint for --"
QZ7_STAND_IN=clean "$qz7ctl" serve --json -- '-=RUS=- Дуэли' 2>dash.txt ||
    fail "serve -- of a dash name failed"
grep -q '"template": "-=RUS=- Дуэли"' qz7-serve.json || fail "the dash name was not served"
echo "serve_control: ok"
