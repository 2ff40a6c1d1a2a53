#!/usr/bin/env bash
# Builds everything and runs the whole test suite through ctest, windows offscreen.
set -euo pipefail
# The real-gateway tests must run: a machine that cannot build their namespaces fails.
export QZ7_IGD_REQUIRED="${QZ7_IGD_REQUIRED:-1}"
cd "$(dirname "$0")/.."
# shellcheck source=run-phase.sh
. tools/run-phase.sh
phase packages
bash tools/install-dependencies.sh
phase Linux build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
phase Linux tests
ctest --test-dir build --output-on-failure --timeout 600 -j"$(nproc)"

# The core and window tests once more, with the address and undefined-behaviour sanitizers.
bash tools/run-sanitized-tests.sh

# The core, the platform layer and their tests built for Windows and run under wine.
bash tools/windows/run-tests.sh
