#!/bin/bash
# qz7ctl players against the compiled stand-in server, in a network namespace of the test's own
# with nothing but loopback (the port table's ports are then the test's alone): found through the
# serve of the game folder, named with --query-port, refused when two servers answer or none runs;
# and quakestat (qstat) reads the same map, limit, host name and players from it.
# $1 is the qz7ctl program, $2 the stand-in server, $3 the demo game folder.
set -u
if [ -z "${QZ7_PLAYERS_NAMESPACE:-}" ]; then
    unshare -n true 2>/dev/null || exit 77
    QZ7_PLAYERS_NAMESPACE=1 exec unshare -n -- bash "$0" "$@" || exit 77
fi
ip link set lo up || exit 77
qz7ctl=$1
stand_in=$2
work=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "players: $*" >&2; for f in "$work"/game/*.txt; do [ -f "$f" ] && { echo "== $f" >&2; cat "$f" >&2; }; done; exit 1; }
wait_for_file() {
    for _ in $(seq 1 300); do [ -s "$1" ] && return 0; sleep 0.1; done
    fail "no $1"
}
json_field() { python3 -c "import json,sys; d=json.load(open(sys.argv[1])); print(eval('d' + sys.argv[2]))" "$@"; }

mkdir "$work/game"
cp -r "$3/." "$work/game/"
cd "$work/game" || fail "no game folder"
ln -s "$stand_in" qz7_stand_in_server

# No server: status 1 and the reason.
"$qz7ctl" players >out.txt 2>err.txt; [ $? -eq 1 ] || fail "players without a server is not 1"
grep -q "ни один порт UDP сервера (3074, 27000-27030) на этой машине не занят" err.txt ||
    fail "no reason without a server"

# The demo launcher's run step starts the stand-in under serve; players finds it by its process.
QZ7_STAND_IN=run "$qz7ctl" serve 'Турнир' --json 2>serve.txt &
started+=("$!")
wait_for_file stand-in-ready
port=$(cat stand-in-ready)
"$qz7ctl" players >players.txt 2>err.txt || fail "players of the served stand-in"
cat >expected.txt <<'TEXT'
Сервер: ~Турнир_QZ7~
Карта: mp_seatown
Режим: коммандный бой (war)
Игроки: 2 из 18
  Имя        Очки  Пинг
  Мясник     12    48
  PlayerTwo  5     63
TEXT
diff expected.txt players.txt >&2 || fail "players text"
"$qz7ctl" players --json >players.json || fail "players --json"
[ "$(json_field players.json "['portSource']")" = server-process ] || fail "not found by its process"
[ "$(json_field players.json "['port']")" = "$port" ] || fail "another port"
[ "$(json_field players.json "['info']['sv_hostname']")" = "^4~^1Турнир_QZ7^4~" ] || fail "raw host name"
"$qz7ctl" players --query-port "$port" >/dev/null || fail "players --query-port"
"$qz7ctl" stop >/dev/null || fail "stop"

# A template whose command line sets net_port: that port is asked, as the serve records the port it
# asks (from the command line it really runs).
"$qz7ctl" export 'Турнир' -o port.txt >/dev/null || fail "export"
sed -i 's/^CommandLine=.*/CommandLine=+set dedicated 1 +set net_port 27020 +start_map_rotate/' port.txt
"$qz7ctl" import port.txt --name 'С портом' >/dev/null || fail "import"
rm -f stand-in-ready
QZ7_STAND_IN=run "$qz7ctl" serve 'С портом' 2>serve-port.txt &
started+=("$!")
wait_for_file stand-in-ready
"$qz7ctl" players --json >port.json || fail "players of the template with net_port"
[ "$(json_field port.json "['portSource']")" = serve ] || fail "net_port not taken"
[ "$(json_field port.json "['port']")" = 27020 ] || fail "not the port of net_port"
"$qz7ctl" stop >/dev/null || fail "stop"

# Two servers on ports of the table, no serve: nothing is guessed, --query-port chooses.
mkdir second && cp -r admin second/
printf '3 40 ^1Red^7Team\n9 55 Plain\n' >second/stand-in-players
rm -f stand-in-ready
"$stand_in" +set net_port 27016 >/dev/null &
started+=("$!")
(cd second && exec "$stand_in" +set net_port 27017 +set sv_hostname "^5Второй" >/dev/null) &
started+=("$!")
wait_for_file stand-in-ready
wait_for_file second/stand-in-ready
"$qz7ctl" players >out.txt 2>err.txt; [ $? -eq 1 ] || fail "two answering servers were guessed"
grep -q "ответили несколько портов: 27016-27017.*--query-port" err.txt || fail "two ports: reason"
"$qz7ctl" players --json --query-port 27017 >second.json || fail "players --query-port 27017"
[ "$(json_field second.json "['hostName']")" = "Второй" ] || fail "the second server's name"

# quakestat reads the second stand-in as we do: map, limit, raw host name, names, scores, pings.
if command -v quakestat >/dev/null; then
    quakestat -q3s 127.0.0.1:27017 -P -R -raw ';' -nh >qstat.txt 2>&1 || fail "quakestat"
    iconv -f CP1251 -t UTF-8 qstat.txt >qstat-utf8.txt || fail "quakestat's bytes"
    IFS=';' read -r _ _ _ map limit count _ <qstat-utf8.txt
    [ "$map" = "$(json_field second.json "['map']")" ] || fail "quakestat's map $map"
    [ "$limit" = "$(json_field second.json "['maxClients']")" ] || fail "quakestat's limit $limit"
    [ "$count" = "$(json_field second.json "['playerCount']")" ] || fail "quakestat's count $count"
    grep -q "sv_hostname=^5Второй" qstat-utf8.txt || fail "quakestat's host name"
    python3 - second.json qstat-utf8.txt <<'PY' || fail "quakestat's players differ"
import json, sys
ours = [(p["name"], p["score"], p["ping"]) for p in json.load(open(sys.argv[1]))["players"]]
lines = open(sys.argv[2]).read().splitlines()[2:]
theirs = [(f[0], int(f[1]), int(f[2])) for f in (l.split(";") for l in lines if l)]
sys.exit(0 if ours == theirs == [("RedTeam", 3, 40), ("Plain", 9, 55)] else 1)
PY
else
    echo "players: quakestat (Debian package qstat) is missing: comparison left out" >&2
    exit 1
fi
echo "players: all checks passed"
