#!/usr/bin/env bash
# Builds everything (editor, tests, benchmarks, tools) and runs every test:
# the headless unit and GUI tests and the end-to-end tests of the real editor
# on an Xvfb display they start themselves; then the same headless tests
# again in a build with the address and undefined-behaviour sanitizers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$root/tools/ensure-packages.sh"
kestrun_ensure_packages $kestrun_packages_test

# The C++ must be laid out as .clang-format says (Debian 12's clang-format).
"$root/tools/check-format.sh"

# The builds are CMakePresets.json's: dev in build/, asan-ubsan in build-asan/
# (its tests without the end-to-end suite), fuzz in build-fuzz/.
cd "$root"
cmake --preset dev >/dev/null
cmake --build --preset dev
ctest --preset dev

cmake --preset asan-ubsan >/dev/null
cmake --build --preset asan-ubsan
ctest --preset asan-ubsan

# Fuzzing: each libFuzzer target runs for about 20 s from its committed seed
# corpus (fuzz/corpus), in a scratch corpus of its own; a finding stops the
# script with the fuzzer's report and leaves the input in build-fuzz/findings.
if command -v clang++ >/dev/null; then
    fuzz="$root/build-fuzz"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
    mkdir -p "$fuzz/findings"
    fuzzed=0
    for target in mapfile catalogue picture dump tiled; do
        scratch=$(mktemp -d)
        if ! QT_QPA_PLATFORM=offscreen "$fuzz/fuzz/fuzz_$target" -max_total_time=20 -max_len=4096 -malloc_limit_mb=32 \
                -artifact_prefix="$fuzz/findings/$target-" "$scratch" "$root/fuzz/corpus/$target" \
                >"$fuzz/fuzz_$target.log" 2>&1; then
            tail -n 40 "$fuzz/fuzz_$target.log" >&2
            rm -rf "$scratch"
            echo "fuzzing: $fuzzed passed, 1 failed (fuzz_$target)"
            exit 1
        fi
        rm -rf "$scratch"
        echo "fuzz_$target: $(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$fuzz/fuzz_$target.log"), no finding"
        fuzzed=$((fuzzed + 1))
    done
    echo "fuzzing: $fuzzed passed, 0 failed"
fi
