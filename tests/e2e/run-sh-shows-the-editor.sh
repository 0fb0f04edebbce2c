#!/usr/bin/env bash
# Starts ./run.sh as a newcomer would, on a private Xvfb display, and waits
# until the editor's main window is on screen; prints it, then ends the
# editor and the display. On a machine holding only what the scripts install:
#   ../shared/tools/fresh-debian tests/e2e/run-sh-shows-the-editor.sh
# The one-hour limit (run.sh builds first, on a machine that may be busy) is
# multiplied by KESTRUN_E2E_TIME_SCALE.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tools/ensure-packages.sh"
source "$root/tests/e2e/private-display.sh"
kestrun_ensure_packages xvfb xdotool

work=$(mktemp -d)
started=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait || true
    rm -rf "$work"
}
trap cleanup EXIT

start_private_display "$work"
started+=("$xvfb_pid")

"$root/run.sh" >"$work/run.log" 2>&1 &
run=$!
started+=("$run")
wait_for_editor_window "$run" "$work/run.log" "$(scaled_limit 3600)"
size=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
echo "run.sh: the editor's main window is on screen after ${SECONDS} s:" \
     "window $window on Xvfb $DISPLAY, named '$(xdotool getwindowname "$window")', $size"
[ "$size" = "780x540" ]
