#!/bin/bash
# Runs one command inside a throw-away LAN behind a real UPnP gateway (miniupnpd, nftables
# variant), built from network namespaces that exist only for this run:
#
#   <run>-ext  "internet" side, 11.22.33.2/24
#      | veth (wan0 <-> ext0)
#   <run>-gw   miniupnpd, wan0 = 11.22.33.1/24 (looks public to miniupnpd), lan0 = 192.168.77.1/24
#      | veth (lan0 <-> eth0)
#   <run>-lan  the command runs here, eth0 = 192.168.77.2/24, default route via the gateway
#
# Usage: igd_harness.sh [--no-gateway] [--deny PORT]... [--insecure] [--reported-external-address A]
#                       [--timeout SECONDS] [--] COMMAND [ARG]...
#   --no-gateway  build the namespaces but start no miniupnpd (nobody answers discovery)
#   --deny PORT   the gateway's permission rules refuse mappings of this external port
#   --insecure    the gateway maps to any LAN address, not only the asking one (as another
#                 client of the LAN would map to its own address)
#   --reported-external-address A  IGD_DESCRIPTION_URL leads through a proxy on the gateway
#                 (port 5001) that reports A as the external address (miniupnpd will not
#                 report a private or shared one itself); discovery still finds miniupnpd
#   --timeout S   kill the command after S seconds (default 120)
#
# The command sees these variables:
#   IGD_LAN_ADDRESS   the LAN address of its own namespace (192.168.77.2)
#   IGD_EXTERNAL_ADDRESS  the gateway's external address
#   IGD_LEASE_FILE    miniupnpd's own record of its mappings, one "PROTO:EXT:CLIENT:INT:TIME:DESC"
#                     line each (empty or absent when nothing is mapped); unset with --no-gateway
#   IGD_DENIED_PORTS  the ports given by --deny, blank separated
#   IGD_DESCRIPTION_URL  the gateway's UPnP description address; unset with --no-gateway
#   IGD_GATEWAY_PID   miniupnpd's process id, for tests that stop it (SIGSTOP) to play a router
#                     that no longer answers; unset with --no-gateway. The harness lets it go on
#                     (SIGCONT) before stopping it.
#
# With IGD_HARNESS_SHOW_LOG set, miniupnpd runs in the foreground at debug level and its log
# is printed to stderr at the end (this slows every request down).
#
# Exit status: the command's, 77 when namespaces cannot be made here (ctest's skip code, with
# the reason on stderr; 1 with QZ7_IGD_REQUIRED set), 124 when the command timed out, 70 when the gateway did not come up.
# Namespaces, the gateway process and the run folder are removed on every way out.

set -u

readonly skip_code=77
readonly lan_net=192.168.77
readonly ext_net=11.22.33

no_gateway=0
deny_ports=()
secure_mode=yes
reported_external_address=""
timeout_seconds=120
while [ $# -gt 0 ]; do
    case "$1" in
        --no-gateway) no_gateway=1; shift ;;
        --deny) deny_ports+=("$2"); shift 2 ;;
        --insecure) secure_mode=no; shift ;;
        --reported-external-address) reported_external_address="$2"; shift 2 ;;
        --timeout) timeout_seconds="$2"; shift 2 ;;
        --) shift; break ;;
        -*) echo "igd_harness: unknown option $1" >&2; exit 2 ;;
        *) break ;;
    esac
done
if [ $# -eq 0 ]; then
    echo "usage: igd_harness.sh [--no-gateway] [--deny PORT]... [--timeout S] [--] COMMAND..." >&2
    exit 2
fi

# With QZ7_IGD_REQUIRED set (the CI run sets it) a machine that cannot build the namespaces fails
# the test instead of skipping it, so that these tests cannot silently stop running.
skip() {
    if [ -n "${QZ7_IGD_REQUIRED:-}" ]; then
        echo "igd_harness: FAILED (QZ7_IGD_REQUIRED is set): $*" >&2
        exit 1
    fi
    echo "igd_harness: SKIPPED: $*" >&2
    exit "$skip_code"
}

[ "$(id -u)" -eq 0 ] || skip "needs root to create network namespaces"
for tool in ip ss nft unshare mount timeout; do
    command -v "$tool" >/dev/null 2>&1 || skip "'$tool' is not installed"
done
miniupnpd_bin=$(command -v miniupnpd || echo /usr/sbin/miniupnpd)
if [ "$no_gateway" -eq 0 ] && [ ! -x "$miniupnpd_bin" ]; then
    skip "miniupnpd (package miniupnpd-nftables) is not installed"
fi

run_id="qz7igd-$$-$RANDOM"
ns_gw="$run_id-gw"
ns_lan="$run_id-lan"
ns_ext="$run_id-ext"
run_dir=$(mktemp -d "/tmp/$run_id.XXXXXX")
gateway_pid=""
proxy_pid=""
command_pid=""
created_namespaces=()

cleanup() {
    trap - EXIT INT TERM HUP
    if [ -n "$command_pid" ] && kill -0 "$command_pid" 2>/dev/null; then
        kill -TERM "$command_pid" 2>/dev/null
        wait "$command_pid" 2>/dev/null
    fi
    if [ -n "$proxy_pid" ]; then
        kill -TERM "$proxy_pid" 2>/dev/null
        { wait "$proxy_pid"; } 2>/dev/null
    fi
    if [ -n "$gateway_pid" ] && kill -0 "$gateway_pid" 2>/dev/null; then
        kill -CONT "$gateway_pid" 2>/dev/null
        kill -TERM "$gateway_pid" 2>/dev/null
        for _ in $(seq 1 50); do
            kill -0 "$gateway_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$gateway_pid" 2>/dev/null
        wait "$gateway_pid" 2>/dev/null
    fi
    local ns
    for ns in "${created_namespaces[@]}"; do
        # Anything still living in the namespace was started by this run.
        local pids
        pids=$(ip netns pids "$ns" 2>/dev/null)
        [ -n "$pids" ] && kill -KILL $pids 2>/dev/null
        ip netns delete "$ns" 2>/dev/null
    done
    rm -rf "$run_dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

make_namespace() {
    ip netns add "$1" 2>"$run_dir/netns.err" ||
        skip "cannot create network namespaces: $(cat "$run_dir/netns.err")"
    created_namespaces+=("$1")
    ip -n "$1" link set lo up
}

fail_setup() {
    echo "igd_harness: setup failed: $*" >&2
    exit 70
}

make_namespace "$ns_gw"
make_namespace "$ns_lan"
make_namespace "$ns_ext"

# The veth pairs are created inside the gateway namespace, so no name ever appears in the
# machine's own namespace.
ip -n "$ns_gw" link add lan0 type veth peer name eth0 netns "$ns_lan" ||
    skip "cannot create veth pairs in a network namespace"
ip -n "$ns_gw" link add wan0 type veth peer name ext0 netns "$ns_ext" ||
    skip "cannot create veth pairs in a network namespace"

ip -n "$ns_gw" addr add "$lan_net.1/24" dev lan0 || fail_setup "address on lan0"
ip -n "$ns_gw" addr add "$ext_net.1/24" dev wan0 || fail_setup "address on wan0"
ip -n "$ns_lan" addr add "$lan_net.2/24" dev eth0 || fail_setup "address on eth0"
ip -n "$ns_ext" addr add "$ext_net.2/24" dev ext0 || fail_setup "address on ext0"
ip -n "$ns_gw" link set lan0 up && ip -n "$ns_gw" link set wan0 up &&
    ip -n "$ns_lan" link set eth0 up && ip -n "$ns_ext" link set ext0 up || fail_setup "links up"
ip -n "$ns_lan" route add default via "$lan_net.1" || fail_setup "LAN default route"
ip -n "$ns_ext" route add default via "$ext_net.1" || fail_setup "external default route"
ip netns exec "$ns_gw" sh -c 'echo 1 > /proc/sys/net/ipv4/ip_forward' || fail_setup "forwarding"

export IGD_LAN_ADDRESS="$lan_net.2"
export IGD_EXTERNAL_ADDRESS="$ext_net.1"
export IGD_DENIED_PORTS="${deny_ports[*]}"
unset IGD_LEASE_FILE IGD_DESCRIPTION_URL IGD_GATEWAY_PID

if [ "$no_gateway" -eq 0 ]; then
    # miniupnpd only adds rules to its chains; the table and chains must exist first.
    cat >"$run_dir/ruleset.nft" <<'EOF'
table inet filter {
    chain forward {
        type filter hook forward priority 0; policy accept;
        jump miniupnpd
    }
    chain miniupnpd {
    }
}
table inet nat {
    chain prerouting {
        type nat hook prerouting priority -100; policy accept;
        jump prerouting_miniupnpd
    }
    chain postrouting {
        type nat hook postrouting priority 100; policy accept;
        jump postrouting_miniupnpd
    }
    chain prerouting_miniupnpd {
    }
    chain postrouting_miniupnpd {
    }
}
EOF
    ip netns exec "$ns_gw" nft -f "$run_dir/ruleset.nft" || fail_setup "nftables ruleset"

    {
        echo "ext_ifname=wan0"
        echo "listening_ip=lan0"
        echo "port=5000"
        echo "enable_natpmp=no"
        echo "enable_upnp=yes"
        echo "secure_mode=$secure_mode"
        echo "system_uptime=yes"
        echo "notify_interval=60"
        echo "clean_ruleset_interval=0"
        echo "uuid=3b1e57a0-77c4-4e0b-9a52-1c2a7f0e0001"
        echo "lease_file=$run_dir/leases"
        echo "upnp_table_name=filter"
        echo "upnp_nat_table_name=nat"
        echo "upnp_forward_chain=miniupnpd"
        echo "upnp_nat_chain=prerouting_miniupnpd"
        echo "upnp_nat_postrouting_chain=postrouting_miniupnpd"
        for port in "${deny_ports[@]}"; do
            echo "deny $port 0.0.0.0/0 0-65535"
        done
        echo "allow 1024-65535 $lan_net.0/24 1024-65535"
        echo "deny 0-65535 0.0.0.0/0 0-65535"
    } >"$run_dir/miniupnpd.conf"
    : >"$run_dir/leases"
    export IGD_LEASE_FILE="$run_dir/leases"
    export IGD_DESCRIPTION_URL="http://$lan_net.1:5000/rootDesc.xml"

    # Without /dev/log miniupnpd's syslog falls back to the console; a private mount
    # namespace with /dev/console bound to /dev/null keeps that off the machine's console.
    # It runs as a daemon at its ordinary log level, as on a router: in the foreground (-d)
    # it logs every request at debug level, which costs more than the request itself. With
    # IGD_HARNESS_SHOW_LOG set it runs in the foreground and its log is kept and shown.
    foreground=""
    [ -n "${IGD_HARNESS_SHOW_LOG:-}" ] && foreground="-d"
    ip netns exec "$ns_gw" unshare --mount --propagation private sh -c \
        'mount --bind /dev/null /dev/console && exec "$0" $1 -f "$2" -P "$3"' \
        "$miniupnpd_bin" "$foreground" "$run_dir/miniupnpd.conf" "$run_dir/miniupnpd.pid" \
        >"$run_dir/miniupnpd.log" 2>&1 &
    starter_pid=$!
    if [ -n "$foreground" ]; then
        gateway_pid=$starter_pid
    else
        wait "$starter_pid" || fail_setup "miniupnpd did not start: $(cat "$run_dir/miniupnpd.log")"
    fi

    # Ready when it runs and both its HTTP port and its SSDP port listen (at most 5 s).
    ready=0
    for _ in $(seq 1 50); do
        if [ -z "$gateway_pid" ] && [ -s "$run_dir/miniupnpd.pid" ]; then
            gateway_pid=$(cat "$run_dir/miniupnpd.pid")
        fi
        if [ -n "$gateway_pid" ] && ! kill -0 "$gateway_pid" 2>/dev/null; then break; fi
        if [ -n "$gateway_pid" ] && [ -n "$(ss -N "$ns_gw" -Hltn 'sport = :5000')" ] &&
            [ -n "$(ss -N "$ns_gw" -Hlun 'sport = :1900')" ]; then
            ready=1
            break
        fi
        sleep 0.1
    done
    if [ "$ready" -ne 1 ]; then
        cat "$run_dir/miniupnpd.log" >&2
        fail_setup "miniupnpd did not start"
    fi
    export IGD_GATEWAY_PID="$gateway_pid"
fi

if [ -n "$reported_external_address" ] && [ "$no_gateway" -eq 0 ]; then
    ip netns exec "$ns_gw" python3 "$(dirname "$0")/external_address_proxy.py" "$lan_net.1" 5001 \
        "http://$lan_net.1:5000" "$reported_external_address" >"$run_dir/proxy.log" 2>&1 &
    proxy_pid=$!
    for _ in $(seq 1 50); do
        [ -n "$(ss -N "$ns_gw" -Hltn 'sport = :5001')" ] && break
        sleep 0.1
    done
    [ -n "$(ss -N "$ns_gw" -Hltn 'sport = :5001')" ] ||
        fail_setup "the external address proxy did not start: $(cat "$run_dir/proxy.log")"
    export IGD_DESCRIPTION_URL="http://$lan_net.1:5001/rootDesc.xml"
fi

ip netns exec "$ns_lan" timeout --signal=TERM --kill-after=5 "$timeout_seconds" "$@" &
command_pid=$!
wait "$command_pid"
status=$?
command_pid=""
if [ "$status" -eq 124 ]; then
    echo "igd_harness: command timed out after $timeout_seconds s" >&2
fi
if [ -n "${IGD_HARNESS_SHOW_LOG:-}" ] && [ -f "$run_dir/miniupnpd.log" ]; then
    cat "$run_dir/miniupnpd.log" >&2
fi
exit "$status"
