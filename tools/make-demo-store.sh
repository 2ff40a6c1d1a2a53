#!/usr/bin/env bash
# Writes the demo game folder's template store, demo/ServerSetup_QZ7.cfg (or the file given), by
# importing the text forms in tools/demo_templates/ in the order of their file names with qz7ctl:
# the store's bytes are what the program itself makes of them.
#
# Usage: make-demo-store.sh QZ7CTL [STORE_FILE]
set -euo pipefail
script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
qz7ctl="$(realpath "$1")"
store="$(realpath -m "${2:-$script_dir/../demo/ServerSetup_QZ7.cfg}")"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for text in "$script_dir"/demo_templates/*.txt; do
    "$qz7ctl" --game-dir "$work" import "$text" >/dev/null
done
mv "$work/ServerSetup_QZ7.cfg" "$store"
