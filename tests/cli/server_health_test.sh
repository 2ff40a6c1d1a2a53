#!/bin/bash
# serve asks the compiled stand-in server how it is, in a network namespace of the test's own
# with nothing but loopback. One scenario a run ($4):
#   hang   the stand-in answers, then falls silent: after two misses it is restarted as after a
#          crash and the host is alerted; the next one, silent from its start, is left running;
#   alert  the same with --on-hang alert: only alerted, the server runs on;
#   empty  a scheduled restart waits while two play, and is made when the wait is over; with
#          nobody on, it is made at once;
#   warn   the players hear the restart coming through the remote console with the right
#          password; with a wrong one nothing reaches them and serve stops warning.
# Alerts go to a small HTTP receiver on loopback; none carries a player's name.
# $1 is the qz7ctl program, $2 the stand-in server, $3 the demo game folder.
set -u
if [ -z "${QZ7_HEALTH_NAMESPACE:-}" ]; then
    unshare -n true 2>/dev/null || exit 77
    QZ7_HEALTH_NAMESPACE=1 exec unshare -n -- bash "$0" "$@" || exit 77
fi
ip link set lo up || exit 77
# The timing options in seconds rather than tens of them: serve takes such short ones from a test
# alone, in a network namespace with nothing but loopback, as this one is.
export QZ7_TEST_SHORT_INTERVALS=1
qz7ctl=$1
stand_in=$2
scenario=$4
work=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "health ($scenario): $*" >&2; for f in "$work"/game/serve.txt "$work"/alerts.txt; do [ -f "$f" ] && { echo "== $f" >&2; cat "$f" >&2; }; done; exit 1; }
# Waits (at most 90 s) until the file holds the pattern.
wait_for() {
    for _ in $(seq 1 900); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
    fail "no '$1' in $2"
}
count() { grep -c "$1" "$2" 2>/dev/null; }
pid_of() { sed -n "s/.*\"event\":\"started\".*\"pid\":\([0-9]*\).*/\1/p" serve.txt | tail -n 1; }

# The alert receiver: every POST body a line of alerts.txt.
python3 - "$work/alerts.txt" "$work/port" <<'PYTHON' &
import http.server, sys
class Receiver(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"]))
        with open(sys.argv[1], "ab") as out:
            out.write(body.replace(b"\n", b" ") + b"\n")
        self.send_response(204)
        self.end_headers()
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Receiver)
open(sys.argv[2], "w").write(str(server.server_port))
server.timeout = 1
for _ in range(600):
    server.handle_request()
PYTHON
started+=("$!")
for _ in $(seq 1 100); do [ -s "$work/port" ] && break; sleep 0.1; done
alerts=(--notify "http://127.0.0.1:$(cat "$work/port")/hook" --notify-format json)

mkdir "$work/game"
cp -r "$3/." "$work/game/"
cd "$work/game" || fail "no game folder"
ln -s "$stand_in" qz7_stand_in_server

case "$scenario" in
hang | alert)
    action=restart
    [ "$scenario" = alert ] && action=alert
    QZ7_STAND_IN=run "$qz7ctl" serve 'Турнир' --json --health-interval 1s --hang-after 2 \
        --on-hang "$action" "${alerts[@]}" 2>serve.txt &
    started+=("$!")
    wait_for '"event":"back-online"' serve.txt
    grep -q '"map":"mp_seatown","maxPlayers":18,.*"players":2' serve.txt || fail "back online"
    # The state file takes the answer just after the event line is written.
    for _ in $(seq 1 50); do
        "$qz7ctl" status >status.txt && grep -q "Игроки: 2 из 18, карта mp_seatown" status.txt &&
            break
        sleep 0.1
    done
    grep -q "Игроки: 2 из 18, карта mp_seatown" status.txt || fail "status shows no players"
    first=$(pid_of)
    : >stand-in-silent
    if [ "$scenario" = hang ]; then
        wait_for '"event":"hung"' serve.txt
        wait_for '"hung":true' serve.txt
        [ "$(count '"event":"started"' serve.txt)" -ge 2 ] || wait_for '"event":"started".*' serve.txt
        for _ in $(seq 1 100); do [ "$(pid_of)" != "$first" ] && break; sleep 0.1; done
        [ "$(pid_of)" != "$first" ] || fail "the hung server was not started anew"
        # The new one is silent from its start: said once, never hung.
        wait_for '"event":"query-unanswered"' serve.txt
        second=$(pid_of)
        kill -0 "$second" 2>/dev/null || fail "the silent new server was not left running"
        [ "$(count '"event":"hung"' serve.txt)" -eq 1 ] || fail "the new server was called hung"
        wait_for "сервер не отвечает на запросы" "$work/alerts.txt"
    else
        wait_for '"event":"not-answering"' serve.txt
        [ "$(count '"event":"started"' serve.txt)" -eq 1 ] || fail "alert only restarted the server"
        kill -0 "$first" 2>/dev/null || fail "the server did not run on"
        wait_for "сервер не отвечает: 2 запросов подряд" "$work/alerts.txt"
    fi
    wait_for "сервер на связи: карта mp_seatown, игроков 2 из 18" "$work/alerts.txt"
    grep -q "Мясник\|PlayerTwo" "$work/alerts.txt" && fail "an alert carries a player's name"
    "$qz7ctl" stop >/dev/null || fail "stop"
    ;;
empty)
    QZ7_STAND_IN=run "$qz7ctl" serve 'Турнир' --json --restart-every 3s --restart-when-empty \
        --empty-wait 3s "${alerts[@]}" 2>serve.txt &
    started+=("$!")
    wait_for '"event":"restart-waits"' serve.txt
    grep -q '"players":2' serve.txt || fail "the wait does not name the players"
    # The next server has nobody on: its restart is made at once.
    : >stand-in-players
    wait_for '"event":"scheduled-restart"' serve.txt
    wait_for '"event":"stopped-for-restart"' serve.txt
    waited=$(python3 - serve.txt <<'PYTHON'
import json, sys
from datetime import datetime
events = [json.loads(line) for line in open(sys.argv[1]) if line.startswith("{")]
time = lambda e: datetime.strptime(e["time"], "%Y-%m-%dT%H:%M:%S.%fZ")
waits = [e for e in events if e["event"] == "restart-waits"]
restart = next(e for e in events if e["event"] == "scheduled-restart")
print(int((time(restart) - time(waits[0])).total_seconds()))
PYTHON
)
    [ "$waited" -ge 2 ] || fail "the restart waited $waited s, not the 3 s of the wait"
    for _ in $(seq 1 300); do [ "$(count '"event":"scheduled-restart"' serve.txt)" -ge 2 ] && break; sleep 0.1; done
    [ "$(count '"event":"scheduled-restart"' serve.txt)" -ge 2 ] || fail "no second restart"
    [ "$(count '"event":"restart-waits"' serve.txt)" -eq 1 ] || fail "an empty server's restart waited"
    wait_for "перезапуск по расписанию ждёт, пока игроки уйдут: игроков на сервере 2" "$work/alerts.txt"
    "$qz7ctl" stop >/dev/null || fail "stop"
    ;;
warn)
    # "верный" in the game's Windows-1251, as the host's configuration holds it.
    printf 'set rcon_password "\xe2\xe5\xf0\xed\xfb\xe9"\r\n' >>admin/server_mod_default.cfg
    QZ7_STAND_IN=run "$qz7ctl" serve 'Турнир' --json --health-interval 1s --restart-every 12s \
        --warn-before 9s,4s 2>serve.txt &
    started+=("$!")
    wait_for '"event":"warned"' serve.txt
    wait_for "say: Сервер перезапустится через" stand-in-console.log
    # The server's own password stays; serve now reads another from the formed configuration.
    LC_ALL=C sed -i 's/"\xe2\xe5\xf0/"\xed\xe5\xe2\xe5\xf0/' admin/server_mod.cfg
    wait_for '"event":"warn-failed"' serve.txt
    grep -q "отверг пароль rcon" serve.txt || fail "the refused password is not said"
    [ "$(grep -c "^say:" stand-in-console.log)" -eq 1 ] || fail "a warning with a wrong password arrived"
    grep -q "верный" serve.txt qz7-serve.log && fail "the password was shown"
    "$qz7ctl" stop >/dev/null || fail "stop"
    ;;
*) fail "no such scenario" ;;
esac
echo "health ($scenario): ok"
