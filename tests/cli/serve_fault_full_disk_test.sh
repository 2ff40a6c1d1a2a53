#!/bin/bash
# serve on a full disk: the game folder lies on a tmpfs of 512 KiB in a mount namespace of this
# test's own (unshare -m). Once the server runs, the disk is filled and the server crashes a few
# times: serve keeps it running, serve says once for each file that it cannot write it, and once
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
# The stand-in launcher counts its starts and logs its parameters beside itself: off the full disk,
# so that its steps advance whatever room is left (a lost count would start "run" again).
ln -s "$logs/stand-in-starts" "$disk/stand-in-starts"
ln -sf "$logs/launchers.log" "$disk/launchers.log"

# The server runs, then (once killed) crashes four times and runs again: events enough to fill
# what room the log's last page had left, and none that writes other files.
QZ7_STAND_IN="run crash crash crash crash run" "$qz7ctl" serve 'Турнир' --allow-sleep \
    --stop-grace 2 --crash-limit 20 --restart-delay 0.01 --max-restart-delay 0.01 \
    >/dev/null 2>"$logs/err" &
serve=$!
wait_for "сервер запущен" "$logs/err"
dd if=/dev/zero of="$disk/filler" bs=4k >/dev/null 2>&1  # until the disk is full
server=$(sed -n 's/.*сервер запущен (pid \([0-9]*\)).*/\1/p' "$logs/err" | tail -n 1)
kill -KILL "$server"
wait_count "сервер запущен" 6 "$logs/err"
kill -0 "$serve" 2>/dev/null || fail "serve ended on the full disk"
# The state file fails at once; the log may still have room in its last page.
[ "$(grep -c "не удалось записать qz7-serve.json" "$logs/err")" -eq 1 ] ||
    fail "the failed writes of qz7-serve.json were not said exactly once"
[ "$(grep -c "не удалось записать qz7-serve.log" "$logs/err")" -le 1 ] ||
    fail "the failed writes of qz7-serve.log were said more than once"
rm -f "$disk/filler"
server=$(sed -n 's/.*сервер запущен (pid \([0-9]*\)).*/\1/p' "$logs/err" | tail -n 1)
kill -KILL "$server"
wait_for "qz7-serve.json снова записывается" "$logs/err"
wait_count "сервер запущен" 7 "$logs/err"
kill -TERM "$serve"
wait "$serve"
status=$?
serve=
[ "$status" -eq 0 ] || fail "serve ended with $status after the stop"
grep -q '"serveEnded": "' qz7-serve.json || fail "the state was not ended"
echo "serve_fault_full_disk: the server ran on and each file's failure was said once"
