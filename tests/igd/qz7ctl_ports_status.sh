#!/bin/bash
# qz7ctl ports status against the harness's gateway. Runs inside the LAN namespace of
# igd_harness.sh; $1 is the qz7ctl program, $2 the case:
#   mappings      (harness --insecure) nothing mapped; all 70 ours; two missing and one mapped
#                 by another client to another address
#   provider-nat  (harness --reported-external-address 100.64.7.1) the warning
#   no-router     (harness --no-gateway) the error of the other port commands
set -u
qz7ctl=$1
fail() { echo "qz7ctl_ports_status: $*" >&2; exit 1; }
status_json() { "$qz7ctl" ports status --json --igd "$IGD_DESCRIPTION_URL" 2>/dev/null; }
# The JSON value at a Python expression over the parsed status, e.g. "counts['ours']".
field() { python3 -c "import json,sys; s=json.load(sys.stdin); print($1)"; }

case "$2" in
mappings)
    json=$(status_json) || fail "status failed before any mapping"
    [ "$(field "s['counts']['missing']" <<<"$json")" = 70 ] || fail "not 70 missing: $json"

    "$qz7ctl" ports open >/dev/null 2>&1 || fail "ports open failed"
    text=$("$qz7ctl" ports status 2>/dev/null) || fail "status after forwarding failed"
    grep -qx "Внешний адрес роутера: $IGD_EXTERNAL_ADDRESS" <<<"$text" || fail "no external address: $text"
    grep -q "NAT провайдера" <<<"$text" && fail "a warning for a public address"
    grep -qE "^27030 +UDP +наш +$IGD_LAN_ADDRESS:27030 +QZ7$" <<<"$text" || fail "no row for UDP 27030: $text"
    grep -qx "Наших: 70, чужих: 0, нет: 0" <<<"$text" || fail "not all ours: $text"

    upnpc -u "$IGD_DESCRIPTION_URL" -d 27014 TCP >/dev/null 2>&1
    upnpc -u "$IGD_DESCRIPTION_URL" -d 27000 UDP >/dev/null 2>&1
    upnpc -u "$IGD_DESCRIPTION_URL" -d 27020 TCP >/dev/null 2>&1
    upnpc -u "$IGD_DESCRIPTION_URL" -e Other -a 192.168.77.9 27020 27020 TCP >/dev/null 2>&1 ||
        fail "the other client's mapping was refused"
    json=$(status_json) || fail "status after the changes failed"
    [ "$(field "[s['counts'][k] for k in ('ours','foreign','missing')]" <<<"$json")" = "[67, 1, 2]" ] ||
        fail "unexpected counts: $json"
    [ "$(field "[(m['state'], m['internalClient'], m['description']) for m in s['mappings'] if m['port'] == 27020 and m['protocol'] == 'TCP'][0]" <<<"$json")" = "('foreign', '192.168.77.9', 'Other')" ] ||
        fail "27020 is not someone else's: $json"
    [ "$(field "[m['state'] for m in s['mappings'] if m['port'] == 27000 and m['protocol'] == 'UDP'][0]" <<<"$json")" = missing ] ||
        fail "UDP 27000 is not missing"
    "$qz7ctl" ports close >/dev/null 2>&1
    ;;
provider-nat)
    text=$("$qz7ctl" ports status --igd "$IGD_DESCRIPTION_URL" 2>/dev/null) || fail "status failed"
    grep -qx "Внешний адрес роутера: 100.64.7.1" <<<"$text" || fail "no shared address: $text"
    grep -qx "Роутер сам находится за NAT провайдера: проброс портов не откроет сервер из интернета." <<<"$text" ||
        fail "no warning: $text"
    [ "$(status_json | field "s['behindProviderNat']")" = True ] || fail "no warning in JSON"
    ;;
no-router)
    err=$("$qz7ctl" ports status 2>&1 >/dev/null)
    [ $? -eq 1 ] || fail "status without a router did not exit with 1"
    grep -q "Ошибка при выполнении операции: роутер не отвечает по UPnP, порты не проверены" <<<"$err" ||
        fail "unexpected error: $err"
    ;;
*) fail "unknown case $2" ;;
esac
echo "qz7ctl_ports_status: $2 ok"
