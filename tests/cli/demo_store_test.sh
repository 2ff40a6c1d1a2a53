#!/usr/bin/env bash
# The demo game folder's template store is what tools/make-demo-store.sh makes with the built
# qz7ctl from the text forms in tools/demo_templates/, byte for byte.
#
# Usage: demo_store_test.sh QZ7CTL SOURCE_DIR
set -euo pipefail
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
bash "$2/tools/make-demo-store.sh" "$1" "$work/ServerSetup_QZ7.cfg"
cmp "$work/ServerSetup_QZ7.cfg" "$2/demo/ServerSetup_QZ7.cfg"
