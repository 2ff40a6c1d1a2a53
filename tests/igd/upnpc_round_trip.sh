#!/bin/bash
# Checks the gateway built by igd_harness.sh with miniupnpc's own client: discovery, one
# mapping added, seen in the gateway's list and in its lease file, then removed again.
# Run through the harness: igd_harness.sh -- upnpc_round_trip.sh
set -u

fail() {
    echo "upnpc_round_trip: FAILED: $*" >&2
    exit 1
}

[ -n "${IGD_LEASE_FILE:-}" ] || fail "not run inside igd_harness.sh with a gateway"
readonly port=27014
readonly client="$IGD_LAN_ADDRESS"

listing=$(upnpc -l 2>&1)
grep -q "Found valid IGD" <<<"$listing" || fail "discovery found no gateway: $listing"
grep -q "Local LAN ip address : $client" <<<"$listing" || fail "wrong LAN address: $listing"

upnpc -e QZ7 -a "$client" "$port" "$port" TCP >/dev/null 2>&1
listing=$(upnpc -l 2>&1)
grep -Eq "TCP +$port->$client:$port +'QZ7'" <<<"$listing" || fail "mapping not listed: $listing"
grep -qx "TCP:$port:$client:$port:[0-9]*:QZ7" "$IGD_LEASE_FILE" ||
    fail "mapping not in the lease file: $(cat "$IGD_LEASE_FILE")"

upnpc -d "$port" TCP >/dev/null 2>&1
listing=$(upnpc -l 2>&1)
grep -q "$port->" <<<"$listing" && fail "mapping still listed after removal: $listing"
[ ! -s "$IGD_LEASE_FILE" ] || fail "lease file not empty after removal: $(cat "$IGD_LEASE_FILE")"

echo "upnpc_round_trip: discovery, add, list and remove work"
