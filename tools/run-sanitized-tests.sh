#!/usr/bin/env bash
# Builds the core and window tests with AddressSanitizer (leaks included) and
# UndefinedBehaviorSanitizer in build-asan and runs them, so that a heap fault, a leak or undefined
# behaviour in our own code fails the run. Only those test programs are built. Qt and the system
# libraries are not instrumented; what they are known to leak is listed, narrowly, in
# tools/sanitizers/leaks.supp.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=run-phase.sh
. tools/run-phase.sh
phase sanitizer build
sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQZ7_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="-O1 $sanitizers" -DCMAKE_C_FLAGS="-O1 $sanitizers" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitizers"
gui_tests=$(basename -s .cpp tests/gui/*_test.cpp)
# shellcheck disable=SC2086 # one target name per word
cmake --build build-asan -j"$(nproc)" --target qz7core_tests $gui_tests
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/sanitizers/leaks.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
phase sanitizer tests
ctest --test-dir build-asan --output-on-failure --timeout 900 -j"$(nproc)" -L 'core|gui'
