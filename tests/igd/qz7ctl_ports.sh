#!/bin/bash
# qz7ctl forwards the 70 ports through a discovered gateway and removes them through the gateway's
# description address; a named router that does not answer fails the command and leaves the
# mappings; a router that stops answering (SIGSTOP) is given up at --timeout. Runs inside the LAN
# namespace of igd_harness.sh; $1 is the qz7ctl program.
set -u
qz7ctl=$1
fail() { echo "qz7ctl_ports: $*" >&2; exit 1; }
work=$(mktemp -d)
server_pid=""
cleanup() {
    kill -CONT "$IGD_GATEWAY_PID" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
mapped() { grep -c ':QZ7$' "$IGD_LEASE_FILE" 2>/dev/null; }

out=$("$qz7ctl" ports open 2>"$work/progress.txt") || fail "ports open failed: $(cat "$work/progress.txt")"
[ "$out" = "Порты проброшены" ] || fail "unexpected result: $out"
grep -q "70 из 70" "$work/progress.txt" || fail "no progress line"
[ "$(mapped)" -eq 70 ] || fail "$(mapped) mappings on the gateway, not 70"

# Named routers that do not answer: a refused port, a missing description, a name that does not
# resolve and a host that is not there.
for url in "http://192.168.77.1:1/rootDesc.xml" "http://192.168.77.1:5000/none.xml" \
    "http://qz7-no-such-router.invalid:5000/rootDesc.xml" "http://192.168.77.99:5000/rootDesc.xml"; do
    "$qz7ctl" ports close --igd "$url" >"$work/out.txt" 2>"$work/err.txt"
    status=$?
    [ "$status" -eq 1 ] || fail "close through $url gave $status: $(cat "$work/out.txt" "$work/err.txt")"
    [ ! -s "$work/out.txt" ] || fail "close through $url printed a result: $(cat "$work/out.txt")"
    grep -qF "Ошибка при выполнении операции: роутер не отвечает по UPnP, порты не удалены ($url)" \
        "$work/err.txt" || fail "close through $url said: $(cat "$work/err.txt")"
    [ "$(mapped)" -eq 70 ] || fail "close through $url left $(mapped) mappings, not 70"
done
# No address at all is refused before any router is asked.
"$qz7ctl" ports close --igd garbage >"$work/out.txt" 2>"$work/err.txt"
status=$?
[ "$status" -eq 2 ] || fail "close through garbage gave $status: $(cat "$work/out.txt" "$work/err.txt")"
grep -qF "недопустимое значение --igd" "$work/err.txt" || fail "garbage said: $(cat "$work/err.txt")"
[ "$(mapped)" -eq 70 ] || fail "close through garbage left $(mapped) mappings, not 70"
"$qz7ctl" ports open --igd "http://192.168.77.1:1/none.xml" >/dev/null 2>&1
[ $? -eq 1 ] || fail "forwarding through an unreachable gateway did not fail with 1"

out=$("$qz7ctl" ports close --igd "$IGD_DESCRIPTION_URL" 2>/dev/null) || fail "ports close failed"
[ "$out" = "Порты удалены" ] || fail "unexpected result: $out"
[ "$(mapped)" -eq 0 ] || fail "$(mapped) mappings left"

# A router that has been found and then stops answering: its description is served from a copy
# here, while every request goes to the stopped miniupnpd. Each request waits for miniupnpc's own
# time-outs, so without --timeout the batch would take minutes.
python3 - "$IGD_DESCRIPTION_URL" "$work/rootDesc.xml" <<'PY' || fail "no copy of the description"
import sys, urllib.request
url, copy = sys.argv[1], sys.argv[2]
text = urllib.request.urlopen(url, timeout=10).read().decode()
base = url[: url.index("/", len("http://"))]
if "<URLBase>" not in text:
    text = text.replace("<device>", "<URLBase>" + base + "</URLBase><device>", 1)
open(copy, "w").write(text)
PY
python3 -m http.server 8090 --bind "$IGD_LAN_ADDRESS" --directory "$work" >/dev/null 2>&1 &
server_pid=$!
for _ in $(seq 1 100); do
    [ -n "$(ss -Hltn 'sport = :8090')" ] && break
    sleep 0.1
done
kill -STOP "$IGD_GATEWAY_PID"
started=$(date +%s)
"$qz7ctl" ports open --igd "http://$IGD_LAN_ADDRESS:8090/rootDesc.xml" --timeout 3 \
    >"$work/out.txt" 2>"$work/err.txt"
status=$?
elapsed=$(($(date +%s) - started))
kill -CONT "$IGD_GATEWAY_PID"
[ "$status" -eq 1 ] || fail "frozen router: exit $status: $(cat "$work/out.txt" "$work/err.txt")"
grep -qF "Время ожидания роутера истекло: проброшено 0 из 70 портов" "$work/err.txt" ||
    fail "frozen router said: $(cat "$work/err.txt")"
# The deadline plus the one request in flight, far below the minutes of 70 silent requests.
[ "$elapsed" -le 20 ] || fail "frozen router: gave up only after $elapsed s"
echo "frozen router given up after $elapsed s"

"$qz7ctl" ports sideways >/dev/null 2>&1; [ $? -eq 2 ] || fail "usage error not 2"
"$qz7ctl" ports open --timeout 0 >/dev/null 2>&1; [ $? -eq 2 ] || fail "--timeout 0 not a usage error"
echo "qz7ctl_ports: ok"
