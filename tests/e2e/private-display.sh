# Sourced by the scripts that show the editor on a display of their own.
# start_private_display WORKDIR: starts Xvfb on a free display number, spread
# by process id, exports DISPLAY and sets xvfb_pid. Xvfb writes the number to
# fd 3 once it takes connections, and ends at once if the number is taken.
start_private_display() {
    local work=$1 number tries
    for ((number = 100 + $$ % 800, tries = 0; tries < 50; number++, tries++)); do
        Xvfb ":$number" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/ready" 2>/dev/null &
        xvfb_pid=$!
        while kill -0 "$xvfb_pid" 2>/dev/null && [ ! -s "$work/ready" ]; do sleep 0.1; done
        if [ -s "$work/ready" ]; then
            export DISPLAY=":$number"
            wait_for_display "$(scaled_limit 60)"
            return
        fi
        wait "$xvfb_pid" || true
    done
    echo "could not start Xvfb" >&2
    return 1
}

# wait_for_display LIMIT: waits until the display takes a client's
# connection (a loaded machine may be slow to after Xvfb said it was ready),
# for at most LIMIT seconds.
wait_for_display() {
    local deadline=$((SECONDS + $1))
    until xdotool getdisplaygeometry >/dev/null 2>&1; do
        if ! kill -0 "$xvfb_pid" 2>/dev/null || ((SECONDS >= deadline)); then
            echo "Xvfb $DISPLAY took no connection" >&2
            return 1
        fi
        sleep 0.1
    done
}

# wait_for_editor_window PID LOG LIMIT: waits until a visible window named
# "Kestrunle" is on the display (its id in $window), while PID runs and for at
# most LIMIT seconds; on failure prints the tail of LOG and returns 1.
wait_for_editor_window() {
    local pid=$1 log=$2 limit=$3
    local deadline=$((SECONDS + limit))
    until window=$(xdotool search --onlyvisible --name '^Kestrunle$' 2>/dev/null); do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "it ended before the editor's window appeared:" >&2
            tail -n 40 "$log" >&2
            return 1
        fi
        if ((SECONDS >= deadline)); then
            echo "no editor window within $limit s; the log says:" >&2
            tail -n 40 "$log" >&2
            return 1
        fi
        sleep 1
    done
    window=${window%%$'\n'*}
}

# scaled_limit SECONDS: the limit times KESTRUN_E2E_TIME_SCALE.
scaled_limit() {
    awk -v seconds="$1" -v scale="${KESTRUN_E2E_TIME_SCALE:-1}" \
        'BEGIN { scale += 0; if (scale <= 0) scale = 1; printf "%d", seconds * scale }'
}
