#!/usr/bin/env bash
# Builds everything (editor, tests, benchmarks, tools) and runs every test:
# the headless unit and GUI tests and the end-to-end tests of the real editor
# on an Xvfb display they start themselves; then the same headless tests
# again in a build with the address and undefined-behaviour sanitizers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$root/tools/ensure-packages.sh"
kestrun_ensure_packages $kestrun_packages_test

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTRUN_BUILD_TESTS=ON -DKESTRUN_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build"
(cd "$build" && ctest --output-on-failure -j2)

sanitized="$root/build-asan"
cmake -S "$root" -B "$sanitized" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRUN_SANITIZE=ON \
    -DKESTRUN_BUILD_TESTS=ON -DKESTRUN_BUILD_BENCHMARKS=OFF -DKESTRUN_BUILD_TOOLS=OFF >/dev/null
cmake --build "$sanitized"
cd "$sanitized"
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j2 -E e2e
