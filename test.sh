#!/usr/bin/env bash
# Builds everything (editor, tests, benchmarks) and runs every test: the
# headless unit and GUI tests, and the end-to-end tests of the real editor on
# an Xvfb display they start themselves.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$root/tools/ensure-packages.sh"
kestrun_ensure_packages $kestrun_packages_test

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTRUN_BUILD_TESTS=ON -DKESTRUN_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j2
