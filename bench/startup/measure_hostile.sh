#!/usr/bin/env bash
# Start-up of kestrun-editor with hostile game folders (make_hostile_games.py):
# a 33-megapixel PNG named by all 256 records, 256 such files, 256
# interlaced 16-megapixel PNGs, a 16-megapixel BMP, pictures declaring
# 100000 x 100000, catalogues of 4,096 and 1,000,000 records and a 200 MB
# tileset.dat. For each: the time from launch to the main window shown and
# the peak memory and the processor time (medians of the runs), against the
# same start-up with 256 ordinary 40 x 40 sprites, and whether the catalogue
# loaded. Goals: the window within 2 s, and under 100 MiB of peak memory above
# the ordinary start-up. On a busy machine the time to the window grows with
# the load; the processor time tells the work the editor itself did.
#
# Usage: bench/startup/measure_hostile.sh [runs]      (default 3)
# Environment: BUILD_DIR, as for measure_startup.sh.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
RUNS=${1:-3}
TIME_GOAL_MS=2000
EXTRA_MEMORY_GOAL_MIB=100

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-hostile.XXXXXX")
source "$ROOT/bench/startup/session.sh"
cleanup() {
    stop_display
    rm -rf "$WORK"
}
trap cleanup EXIT

startup_build kestrun-editor
python3 "$ROOT/bench/startup/make_hostile_games.py" "$WORK/games"
startup_display

cases=(baseline png33-named-256-times png33-256-files interlaced-png16-256-files bmp16-named-256-times
       declared-100000x100000 records-4096 records-1000000 tileset-200MB)
for game in "${cases[@]}"; do
    seed_settings "$WORK/games/$game"
    run_once warmup "$EDITOR"
    for _ in $(seq "$RUNS"); do
        seed_settings "$WORK/games/$game"
        run_once "$game" "$EDITOR"
    done
    if catalogue_kept; then echo loaded > "$WORK/$game.outcome"; else echo refused > "$WORK/$game.outcome"; fi
done

echo "Start-up with hostile game folders on Xvfb $DISPLAY, median of $RUNS runs, $(nproc) cores"
read -r base_m _ _ < <(stats "$WORK/baseline" 2)
printf '%-28s %10s %10s %8s %10s %10s %10s\n' "game folder" "median ms" "max ms" "CPU ms" "peak MiB" "extra MiB" catalogue
missed=0
for game in "${cases[@]}"; do
    read -r t _ tmax < <(stats "$WORK/$game" 1)
    read -r m _ _ < <(stats "$WORK/$game" 2)
    read -r c _ _ < <(stats "$WORK/$game" 3)
    read -r verdict < <(awk -v t="$tmax" -v m="$m" -v b="$base_m" -v tg="$TIME_GOAL_MS" -v mg="$EXTRA_MEMORY_GOAL_MIB" \
        'BEGIN { print (t <= tg && (m - b) / 1024 < mg) ? "met" : "MISSED" }')
    [ "$verdict" = met ] || missed=1
    awk -v g="$game" -v t="$t" -v tmax="$tmax" -v c="$c" -v m="$m" -v b="$base_m" -v o="$(cat "$WORK/$game.outcome")" \
        -v v="$verdict" 'BEGIN { printf "%-28s %10.1f %10.1f %8d %10.1f %10.1f %10s  %s\n", g, t, tmax, c, m / 1024, (m - b) / 1024, o, v }'
done
echo "goals: window within $TIME_GOAL_MS ms, peak memory under $EXTRA_MEMORY_GOAL_MIB MiB above the baseline"
echo "load average now: $(cut -d' ' -f1-3 /proc/loadavg)"
exit "$missed"
