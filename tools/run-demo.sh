#!/usr/bin/env bash
# Builds the program and starts it on a fresh copy of the demo game folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-dependencies.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target qz7manager
rm -rf build/demo
cp -r demo build/demo
cd build/demo
exec ../app/qz7manager "$@"
