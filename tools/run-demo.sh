#!/usr/bin/env bash
# Builds the program and qz7ctl and starts the program in build/demo, the user's copy of the demo
# game folder. The copy is made on the first run and kept afterwards, with the templates and files
# saved in it; --fresh replaces it with a new copy of demo/ first. Further arguments go to the
# program (the first one names the client profile).
set -euo pipefail
cd "$(dirname "$0")/.."
fresh=0
if [ "${1:-}" = --fresh ]; then
    fresh=1
    shift
fi
bash tools/install-dependencies.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target qz7manager qz7ctl qz7_stand_in_server
[ "$fresh" -eq 0 ] || rm -rf build/demo
if [ ! -d build/demo ]; then
    # Copied beside it and renamed, so that an interrupted copy is never taken for the user's.
    rm -rf build/demo.copying
    cp -r demo build/demo.copying
    mv build/demo.copying build/demo
fi
# The demo launcher's "run" step (QZ7_STAND_IN=run) starts the stand-in server found beside it.
ln -sfn ../tools/stand_in/qz7_stand_in_server build/demo/qz7_stand_in_server
echo "Game folder: $PWD/build/demo (kept between runs; --fresh starts afresh)" >&2
echo "Command line: $PWD/build/cli/qz7ctl" >&2
cd build/demo
exec ../app/qz7manager "$@"
