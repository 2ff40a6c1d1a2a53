#!/usr/bin/env bash
# Makes the Debian package of the program: installs what is missing, builds qz7manager and qz7ctl
# in build/ and writes build/package/qz7-launch-manager_<version>_amd64.deb, whose path it prints
# last.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-dependencies.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target qz7manager qz7ctl
rm -rf build/package
(cd build && cpack -G DEB -B package)
ls "$PWD"/build/package/*.deb
