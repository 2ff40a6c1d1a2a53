#!/bin/bash
# serve on a full disk: the game folder lies on a tmpfs of 512 KiB in a mount namespace of this
# test's own (unshare -m). Once the server runs, the disk is filled and four restarts are asked
# for: the server keeps running, serve says once for each file that it cannot write it, and once
# that it writes it again when room is made; a stop then ends it with 0. $1 is the qz7ctl program,
# $2 the demo game folder. Exits 77 (skipped) where no mount namespace can be made.
set -u
qz7ctl=$(realpath "$1")
demo=$(realpath "$2")
if [ -z "${QZ7_IN_MOUNT_NAMESPACE:-}" ]; then
    unshare -m true 2>/dev/null || { echo "serve_fault_full_disk: SKIPPED: no mount namespace" >&2; exit 77; }
    QZ7_IN_MOUNT_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$qz7ctl" "$demo"
fi
disk=$(mktemp -d)
logs=$(mktemp -d)  # off the full disk
serve=
cleanup() {
    [ -n "$serve" ] && kill -KILL "$serve" 2>/dev/null
    cd /
    umount "$disk" 2>/dev/null
    rmdir "$disk"
    rm -rf "$logs"
}
trap cleanup EXIT
fail() { echo "serve_fault_full_disk: FAILED: $*" >&2; cat "$logs/err" >&2; exit 1; }
wait_for() {  # <pattern> <file>: at most 30 s
    for _ in $(seq 1 300); do grep -q "$1" "$2" 2>/dev/null && return 0; sleep 0.1; done
    fail "no '$1' in $2"
}
wait_count() {  # <pattern> <count> <file>: at most 30 s until the file has count such lines
    for _ in $(seq 1 300); do [ "$(grep -c "$1" "$3")" -ge "$2" ] && return 0; sleep 0.1; done
    fail "fewer than $2 lines '$1' in $3"
}
mount -t tmpfs -o size=512k tmpfs "$disk" || { echo "serve_fault_full_disk: SKIPPED: cannot mount" >&2; exit 77; }
cp -r "$demo/." "$disk/"
cd "$disk" || fail "no game folder"

QZ7_STAND_IN=run "$qz7ctl" serve 'Турнир' --allow-sleep --stop-grace 2 >/dev/null 2>"$logs/err" &
serve=$!
wait_for "сервер запущен" "$logs/err"
dd if=/dev/zero of="$disk/filler" bs=4k >/dev/null 2>&1  # until the disk is full
# Four restarts: enough lines to fill what room the log's last page had left.
for restart in 1 2 3 4; do
    kill -USR1 "$serve"
    wait_count "сервер запущен" $((restart + 1)) "$logs/err"
done
kill -0 "$serve" 2>/dev/null || fail "serve ended on the full disk"
for file in qz7-serve.log qz7-serve.json; do
    [ "$(grep -c "не удалось записать $file" "$logs/err")" -eq 1 ] ||
        fail "the failed writes of $file were not said exactly once"
done
rm -f "$disk/filler"
kill -USR1 "$serve"
wait_for "qz7-serve.json снова записывается" "$logs/err"
wait_for "qz7-serve.log снова записывается" "$logs/err"
kill -TERM "$serve"
wait "$serve"
status=$?
serve=
[ "$status" -eq 0 ] || fail "serve ended with $status after the stop"
grep -q '"serveEnded": "' qz7-serve.json || fail "the state was not ended"
echo "serve_fault_full_disk: the server ran on and each file's failure was said once"
