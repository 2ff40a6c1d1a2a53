#!/usr/bin/env bash
# Kills `qz7ctl import` with SIGKILL at random moments while it adds a record to a large template
# store, and checks after every kill that the store holds its old content, its new content, or
# its old content and a partial record after it (which no reader counts), so that no record was
# lost or changed; that every earlier version kept in qz7-backups is the old store, whole; and
# that the next import puts its record on the record boundary and leaves no temporary file behind.
#
#   tools/store-crash-check.sh QZ7CTL [KILLS] [RECORDS]
#
# Prints the counts; exits 1 when a store or a kept version was none of these, or a file besides
# the store and its kept versions stayed.
set -euo pipefail

qz7ctl=$(realpath "$1")
kills=${2:-300}
records=${3:-5000}
seed=$(dirname "$0")/../tests/data/template_store_seeds/two_records_and_a_partial.cfg
record_size=1737

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
game=$work/game
mkdir -p "$game"
store=$game/ServerSetup_QZ7.cfg

# The old store: the seed's first record, repeated; the new one: what a finished import writes.
head -c $record_size "$seed" >"$work/record"
for ((i = 0; i < records; i++)); do cat "$work/record"; done >"$work/old"
cp "$work/old" "$store"
"$qz7ctl" --game-dir "$game" export '#1' -o "$work/template.txt" >/dev/null
start=$(date +%s%N)
"$qz7ctl" --game-dir "$game" import "$work/template.txt" >/dev/null
import_ms=$((($(date +%s%N) - start) / 1000000))
cp "$store" "$work/new"

# Runs qz7ctl with the arguments after the first and kills it with SIGKILL at a random moment
# within the first argument's milliseconds (if it has not ended by then).
run_and_kill() {
    local window_ms=$1
    shift
    "$qz7ctl" --game-dir "$game" "$@" >/dev/null 2>&1 &
    local pid=$!
    local delay=$(((RANDOM * 32768 + RANDOM) % window_ms))
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

old_size=$(stat -c %s "$work/old")
new_size=$(stat -c %s "$work/new")
old=0 new=0 partial=0 broken=0 strays_seen=0 versions_broken=0
# Kill moments spread over the whole run and a little beyond it.
window_ms=$((import_ms * 12 / 10 + 1))
for ((i = 0; i < kills; i++)); do
    cp "$work/old" "$store"
    run_and_kill "$window_ms" import "$work/template.txt"
    if cmp -s "$store" "$work/old"; then
        old=$((old + 1))
    elif cmp -s "$store" "$work/new"; then
        new=$((new + 1))
    elif size=$(stat -c %s "$store") && ((size > old_size && size < new_size)) &&
        cmp -s -n "$old_size" "$store" "$work/old"; then
        partial=$((partial + 1))
    else
        broken=$((broken + 1))
    fi
    if compgen -G "$game/*.qz7-tmp" >/dev/null; then strays_seen=$((strays_seen + 1)); fi
    # The only content a version can hold here is the old store: the import keeps it first.
    for version in "$game"/qz7-backups/ServerSetup_QZ7.cfg.*Z; do
        [[ -e $version ]] || continue
        cmp -s "$version" "$work/old" || versions_broken=$((versions_broken + 1))
    done
done

# Kills during rewrites: `qz7ctl restore` puts a kept version of the old store back in place of the
# new one, keeping the new one as a version first. After each kill the store is the old or the new
# one, whole, and every kept version is one of them, whole.
old_version=$(basename "$(find "$game/qz7-backups" -name 'ServerSetup_QZ7.cfg.*Z' | sort | head -1)")
cp "$work/new" "$store"
start=$(date +%s%N)
"$qz7ctl" --game-dir "$game" restore "$old_version" >/dev/null
restore_ms=$((($(date +%s%N) - start) / 1000000))
rewrite_old=0 rewrite_new=0 rewrite_broken=0
window_ms=$((restore_ms * 12 / 10 + 1))
for ((i = 0; i < kills; i++)); do
    cp "$work/new" "$store"
    run_and_kill "$window_ms" restore "$old_version"
    if cmp -s "$store" "$work/old"; then
        rewrite_old=$((rewrite_old + 1))
    elif cmp -s "$store" "$work/new"; then
        rewrite_new=$((rewrite_new + 1))
    else
        rewrite_broken=$((rewrite_broken + 1))
    fi
    for version in "$game"/qz7-backups/ServerSetup_QZ7.cfg.*Z; do
        cmp -s "$version" "$work/old" || cmp -s "$version" "$work/new" ||
            versions_broken=$((versions_broken + 1))
    done
done
# What the kills left beside the store goes before the last check.
find "$game" -name '*.qz7-tmp' -delete
rm -rf "$game/qz7-backups"

# One more import into the old store with half a record after it, as a killed write could leave
# it: the record goes to the record boundary, and nothing else stays beside the store.
{ cat "$work/old"; head -c $((record_size / 2)) "$work/record"; } >"$store"
"$qz7ctl" --game-dir "$game" import "$work/template.txt" >/dev/null
next_whole=yes
cmp -s "$store" "$work/new" || next_whole=no
others=$(find "$game" -mindepth 1 ! -name ServerSetup_QZ7.cfg ! -path "$game/qz7-backups" \
    ! -path "$game/qz7-backups/ServerSetup_QZ7.cfg.*Z" | wc -l)
versions=$(find "$game/qz7-backups" -name 'ServerSetup_QZ7.cfg.*Z' | wc -l)

echo "store of $records records, uninterrupted import ${import_ms} ms"
echo "kills: $kills; store old: $old, new: $new, old with a partial record after it: $partial, neither (records lost or changed): $broken"
echo "runs that left a temporary file: $strays_seen; the next import over a partial record wrote the new store: $next_whole; files besides the store and its kept versions after it: $others"
echo "kills during a rewrite (restore, uninterrupted ${restore_ms} ms): $kills; store old: $rewrite_old, new: $rewrite_new, neither: $rewrite_broken"
echo "kept versions: $versions; a kept version that was not the old store, whole, seen after a kill: $versions_broken times"
[[ $broken -eq 0 && $rewrite_broken -eq 0 && $versions_broken -eq 0 && $others -eq 0 && $next_whole == yes ]]
