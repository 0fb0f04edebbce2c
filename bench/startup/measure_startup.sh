#!/usr/bin/env bash
# Start-up time and peak memory of kestrun-editor against a bare Qt window of
# the same shape (bare_window), both on a private Xvfb display this script
# starts and stops itself.
#
# Time: from the moment this script launches the program to the moment the
# program reports its main window shown (exposed and painted), both read from
# the same realtime clock; see src/app/ShownReport.h. Memory: the peak
# resident set size that /usr/bin/time -v reports. The runs of the two
# programs alternate; one warm-up run of each is not counted.
#
# The editor starts with a 256-sprite catalogue (40 x 40 BMPs in a temporary
# game folder, remembered in a temporary settings location) and a map on the
# command line.
#
# Usage: bench/startup/measure_startup.sh [runs]      (default 9)
# Environment: BUILD_DIR, the build to use (default build-bench, configured
# with the bench preset and built here when needed); PREBUILT=1 measures what
# it holds without building.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
RUNS=${1:-9}
TIME_GOAL=1.30
MEMORY_GOAL=1.15

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kestrun-startup.XXXXXX")
source "$ROOT/bench/startup/session.sh"
cleanup() {
    stop_display
    rm -rf "$WORK"
}
trap cleanup EXIT

startup_build bare_window kestrun-editor
BARE="$BUILD_DIR/bench/startup/bare_window"

# --- a game folder with 256 sprites --------------------------------------------
GAME="$WORK/game"
mkdir -p "$GAME"

# le32 VALUE: four little-endian bytes as printf escapes.
le32() {
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255))
}

# A 40 x 40, 24-bit BMP of one colour: bmp PATH BLUE GREEN RED.
BMP_HEADER="BM$(le32 4854)$(le32 0)$(le32 54)$(le32 40)$(le32 40)$(le32 40)\\x01\\x00\\x18\\x00$(le32 0)$(le32 4800)$(le32 2835)$(le32 2835)$(le32 0)$(le32 0)"
bmp() {
    local pixel
    pixel=$(printf '\\x%02x\\x%02x\\x%02x' "$2" "$3" "$4")
    {
        printf "$BMP_HEADER"
        printf "$pixel%.0s" {1..1600}
    } > "$1"
}

: > "$GAME/tileset.dat"
for i in $(seq 0 255); do
    name=$(printf 'spr%03d.bmp' "$i")
    bmp "$GAME/$name" "$i" $(((i * 7) & 255)) $((255 - i))
    printf '%d=%s\r\n' "$i" "$name" >> "$GAME/tileset.dat"
done

# --- a map: every terrain, sprites on all three layers ------------------------------
MAP="$WORK/level.kmp"
{
    printf '\x78\x56\x34\x12\x02\x00\x0f\x00\x00\x00\x0a\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    terrains=(1 2 4 8 16)
    for cell in $(seq 0 175); do
        printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' "${terrains[cell % 5]}" $((cell % 255 + 1)) \
            $(((cell * 3) % 256)) $(((cell * 5) % 256)))"
    done
} > "$MAP"
[ "$(stat -c %s "$MAP")" -eq 726 ] || { echo "measure_startup: map is not 726 bytes" >&2; exit 2; }

# --- a display of our own ------------------------------------------------------------
startup_display

# --- runs ----------------------------------------------------------------------------
CATALOGUE_KEPT=yes
run_editor() {
    seed_settings "$GAME"
    run_once "$@" "$EDITOR" "$MAP"
    catalogue_kept || CATALOGUE_KEPT=no
}

run_once warmup "$BARE"
run_editor warmup
for _ in $(seq "$RUNS"); do
    run_once bare "$BARE"
    run_editor editor
done

# --- report ----------------------------------------------------------------------
read -r bare_t bare_tmin bare_tmax < <(stats "$WORK/bare" 1)
read -r edit_t edit_tmin edit_tmax < <(stats "$WORK/editor" 1)
read -r bare_m _ _ < <(stats "$WORK/bare" 2)
read -r edit_m _ _ < <(stats "$WORK/editor" 2)

echo "Start-up on Xvfb $DISPLAY, $RUNS runs each (after one warm-up run), $(nproc) cores"
printf '%-16s %10s %10s %10s %14s\n' program "median ms" "min ms" "max ms" "peak RSS MiB"
printf '%-16s %10.1f %10.1f %10.1f %14.1f\n' "bare window" "$bare_t" "$bare_tmin" "$bare_tmax" "$(awk -v k="$bare_m" 'BEGIN { print k / 1024 }')"
printf '%-16s %10.1f %10.1f %10.1f %14.1f\n' "kestrun-editor" "$edit_t" "$edit_tmin" "$edit_tmax" "$(awk -v k="$edit_m" 'BEGIN { print k / 1024 }')"
awk -v et="$edit_t" -v bt="$bare_t" -v em="$edit_m" -v bm="$bare_m" -v tg="$TIME_GOAL" -v mg="$MEMORY_GOAL" 'BEGIN {
    t = et / bt; m = em / bm
    printf "time   editor / bare = %.2f (goal <= %.2f): %s\n", t, tg, (t <= tg ? "met" : "MISSED")
    printf "memory editor / bare = %.2f (goal <= %.2f): %s\n", m, mg, (m <= mg ? "met" : "MISSED")
}'
if [ "$CATALOGUE_KEPT" = no ]; then
    echo "note: the editor dropped the game folder, so its catalogue did not load; its figures leave out the sprites"
fi
