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

# A display number spread by process id: Xvfb writes it to fd 3 once it takes
# connections, and ends at once if the number is taken.
for ((number = 100 + $$ % 800, tries = 0; tries < 50; number++, tries++)); do
    Xvfb ":$number" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/ready" 2>/dev/null &
    xvfb=$!
    while kill -0 "$xvfb" 2>/dev/null && [ ! -s "$work/ready" ]; do sleep 0.1; done
    if [ -s "$work/ready" ]; then
        started+=("$xvfb")
        export DISPLAY=":$number"
        break
    fi
    wait "$xvfb" || true
done
[ -n "${DISPLAY:-}" ] || { echo "could not start Xvfb" >&2; exit 1; }

"$root/run.sh" >"$work/run.log" 2>&1 &
run=$!
started+=("$run")

limit=$(awk -v scale="${KESTRUN_E2E_TIME_SCALE:-1}" 'BEGIN { scale += 0; if (scale <= 0) scale = 1; printf "%d", 3600 * scale }')
deadline=$((SECONDS + limit))
until window=$(xdotool search --onlyvisible --name '^Kestrunle$' 2>/dev/null); do
    if ! kill -0 "$run" 2>/dev/null; then
        echo "run.sh ended before the editor's window appeared:" >&2
        tail -n 40 "$work/run.log" >&2
        exit 1
    fi
    if ((SECONDS >= deadline)); then
        echo "no editor window within $limit s; run.sh said:" >&2
        tail -n 40 "$work/run.log" >&2
        exit 1
    fi
    sleep 1
done
window=${window%%$'\n'*}
size=$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')
echo "run.sh: the editor's main window is on screen after ${SECONDS} s:" \
     "window $window on Xvfb $DISPLAY, named '$(xdotool getwindowname "$window")', $size"
[ "$size" = "780x540" ]
