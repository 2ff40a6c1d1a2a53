#!/bin/bash
# qz7ctl forwards the 70 ports through a discovered gateway and removes them through the gateway's
# description address. Runs inside the LAN namespace of igd_harness.sh; $1 is the qz7ctl program.
set -u
qz7ctl=$1
fail() { echo "qz7ctl_ports: $*" >&2; exit 1; }

out=$("$qz7ctl" ports open 2>progress.txt) || fail "ports open failed: $(cat progress.txt)"
[ "$out" = "Порты проброшены" ] || fail "unexpected result: $out"
grep -q "70 из 70" progress.txt || fail "no progress line"
mapped=$(grep -c ':QZ7$' "$IGD_LEASE_FILE")
[ "$mapped" -eq 70 ] || fail "$mapped mappings on the gateway, not 70"

out=$("$qz7ctl" ports close --igd "$IGD_DESCRIPTION_URL" 2>/dev/null) || fail "ports close failed"
[ "$out" = "Порты удалены" ] || fail "unexpected result: $out"
left=$(grep -c ':QZ7$' "$IGD_LEASE_FILE" 2>/dev/null)
[ "${left:-0}" -eq 0 ] || fail "$left mappings left"

"$qz7ctl" ports open --igd "http://192.168.77.1:1/none.xml" >/dev/null 2>&1; [ $? -eq 1 ] || fail "forwarding through an unreachable gateway did not fail with 1"
"$qz7ctl" ports sideways >/dev/null 2>&1; [ $? -eq 2 ] || fail "usage error not 2"
echo "qz7ctl_ports: ok"
