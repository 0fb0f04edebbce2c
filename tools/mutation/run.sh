#!/usr/bin/env bash
# A mutation run: each patch in tools/mutation/patches puts one realistic
# fault into the code; the tests that should notice it run, and the fault is
# killed (a test failed) or survives (every test passed). A patch whose build
# fails proves nothing and is counted apart. Every patch is reverted before
# the next, and on any exit or interruption.
#
#   tools/mutation/run.sh [--full] [--build DIR] [--report FILE] [PATCH...]
#
# Each patch starts with one header line:
#   # AREA: what the fault is [tests: SUITE...]
# AREA is io, map, catalogue, render, view, kmp or app; the suites are CTest test
# names (tst_mapsave, e2e_editor, ...). --full runs every suite for every
# patch instead (slow). The table per area and the overall kill rate are
# printed and written to the report (build-mutation/mutation-report.txt).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$root/build-mutation"
report=""
full=0
patches=()
while (($#)); do
    case "$1" in
    --full) full=1 ;;
    --build) build="$2"; shift ;;
    --report) report="$2"; shift ;;
    -h|--help) sed -n '2,16p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; exit 64 ;;
    *) patches+=("$(realpath "$1")") ;;
    esac
    shift
done
[[ -n "$report" ]] || report="$build/mutation-report.txt"
((${#patches[@]})) || patches=("$root"/tools/mutation/patches/*.patch)
cd "$root" || exit 2

# The patches are reverted with git apply -R: the tracked sources must be as
# committed, or a revert could undo someone's work.
if ! git diff --quiet HEAD -- src tests; then
    echo "run.sh: src or tests has uncommitted changes; commit or stash them first" >&2
    exit 2
fi

# Every patch must still apply, before hours are spent on the first ones.
stale=0
for patch in "${patches[@]}"; do
    if ! git apply --check "$patch" 2>/dev/null; then
        echo "run.sh: $(basename "$patch") no longer applies: refresh it against the code" >&2
        stale=1
    fi
done
((stale)) && exit 2

applied=""
revert() {
    if [[ -n "$applied" ]]; then
        git apply -R "$applied" || echo "run.sh: could not revert $applied" >&2
        applied=""
    fi
}
trap revert EXIT
trap 'revert; exit 130' INT
trap 'revert; exit 143' TERM HUP

run() { nice -n 10 "$@"; }

mkdir -p "$build"
log="$build/mutation-logs"
rm -rf "$log"
mkdir -p "$log"
if [[ ! -f "$build/build.ninja" ]]; then
    run cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUN_BUILD_TESTS=ON \
        -DKESTRUN_BUILD_BENCHMARKS=OFF -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >"$log/configure.log" || exit 2
fi
echo "building the unchanged tree in $build"
if ! run cmake --build "$build" >"$log/baseline-build.log" 2>&1; then
    echo "run.sh: the unchanged tree does not build (see $log/baseline-build.log)" >&2
    exit 2
fi

# The suites a patch names, or every suite. Their build targets: a QtTest
# suite is its own target, the end-to-end suite needs the editor.
suitesOf() { sed -n '1s/.*\[tests: *\([^]]*\)\].*/\1/p' "$1"; }
targetOf() {
    case "$1" in
    e2e_editor) echo kestrun-editor ;;
    *) echo "$1" ;;
    esac
}

# The suites must pass unchanged, or a failure would pass for a kill.
mapfile -t allSuites < <(for patch in "${patches[@]}"; do suitesOf "$patch" | tr ' ' '\n'; done | sort -u | grep .)
if ((full)); then
    baseline=(-E 'dejavu-only|packaging')
else
    baseline=(-R "^($(IFS='|'; echo "${allSuites[*]}"))\$")
fi
echo "running the suites on the unchanged tree"
if ! (cd "$build" && run ctest --output-on-failure "${baseline[@]}") >"$log/baseline-test.log" 2>&1; then
    echo "run.sh: the suites fail on the unchanged tree (see $log/baseline-test.log)" >&2
    exit 2
fi

declare -A killed survived broken
areas=(io map catalogue render view kmp app)
for area in "${areas[@]}"; do killed[$area]=0; survived[$area]=0; broken[$area]=0; done
lines=()
for patch in "${patches[@]}"; do
    name="$(basename "$patch" .patch)"
    header="$(head -n 1 "$patch")"
    area="$(sed -n '1s/^# *\([a-z]*\):.*/\1/p' "$patch")"
    if [[ -z "${killed[$area]+set}" ]]; then
        echo "run.sh: $name: the header names no known area: $header" >&2
        exit 2
    fi
    read -r -a suites <<<"$(suitesOf "$patch")"
    if ((!full && ${#suites[@]} == 0)); then
        echo "run.sh: $name: the header names no suites" >&2
        exit 2
    fi
    applied="$patch" # set first: an interruption during the apply still reverts
    git apply "$patch" || { applied=""; exit 2; }

    targets=()
    if ((full)); then
        targets=(all)
        selection=(-E 'dejavu-only|packaging')
    else
        for suite in "${suites[@]}"; do targets+=("$(targetOf "$suite")"); done
        selection=(-R "^($(IFS='|'; echo "${suites[*]}"))\$")
    fi
    verdict=""
    if ! run cmake --build "$build" --target "${targets[@]}" >"$log/$name.build.log" 2>&1; then
        verdict="build-failed"
        broken[$area]=$((broken[$area] + 1))
    else
        (cd "$build" && run ctest --output-on-failure "${selection[@]}") >"$log/$name.test.log" 2>&1
        status=$?
        if ! grep -q "tests passed" "$log/$name.test.log" || grep -q "No tests were found" "$log/$name.test.log"; then
            echo "run.sh: $name: ctest ran nothing (see $log/$name.test.log)" >&2
            exit 2
        fi
        if ((status == 0)); then
            verdict="survived"
            survived[$area]=$((survived[$area] + 1))
        else
            verdict="killed"
            # A time-out is listed as such: only a hang the fault causes may
            # count, which the log shows.
            grep -q '\*\*\*Timeout' "$log/$name.test.log" && verdict="killed (time-out: check it is a hang)"
            killed[$area]=$((killed[$area] + 1))
        fi
    fi
    revert
    line="$(printf '%-10s %-44s %s' "$area" "$name" "$verdict")"
    lines+=("$line")
    echo "$line"
done

percent() { echo "$(((200 * $1 / $2 + 1) / 2)) %"; } # rounded to the nearest

{
    echo "Mutation run of $(git -C "$root" rev-parse --short HEAD), $(date -u '+%Y-%m-%d %H:%M UTC')"
    printf '%s\n' "${lines[@]}"
    echo
    printf '%-10s %7s %9s %13s %10s\n' area killed survived build-failed kill-rate
    allKilled=0
    allScored=0
    for area in "${areas[@]}"; do
        scored=$((killed[$area] + survived[$area]))
        ((scored + broken[$area])) || continue
        rate="-"
        ((scored)) && rate="$(percent "${killed[$area]}" "$scored")"
        printf '%-10s %7d %9d %13d %10s\n' "$area" "${killed[$area]}" "${survived[$area]}" "${broken[$area]}" "$rate"
        allKilled=$((allKilled + killed[$area]))
        allScored=$((allScored + scored))
    done
    rate="-"
    ((allScored)) && rate="$(percent "$allKilled" "$allScored")"
    printf '%-10s %7d %9d %13s %10s\n' overall "$allKilled" "$((allScored - allKilled))" "" "$rate"
} | tee "$report"
