# Sourced by the start-up measurements: the build, a private Xvfb display,
# per-user settings in a temporary folder, and one timed run of a program.
# The caller sets ROOT and WORK (a scratch folder it removes) first.

BUILD_DIR=${BUILD_DIR:-$ROOT/build-bench}

for tool in Xvfb /usr/bin/time timeout; do
    command -v "$tool" >/dev/null || { echo "${0##*/}: $tool is needed" >&2; exit 2; }
done

# startup_build TARGET...: builds them in BUILD_DIR (configured here with the
# bench preset, Release, when needed); with PREBUILT=1, what BUILD_DIR holds is
# measured as it is.
startup_build() {
    [ "${PREBUILT:-}" != 1 ] || return 0
    if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
        (cd "$ROOT" && cmake --preset bench -B "$BUILD_DIR" >/dev/null)
    fi
    cmake --build "$BUILD_DIR" --target "$@" -j 2 >/dev/null
}
EDITOR="$BUILD_DIR/src/app/kestrun-editor"

# Settings: the game folder remembered (with its trailing separator).
export XDG_CONFIG_HOME="$WORK/config"
export XDG_RUNTIME_DIR="$WORK/runtime"
mkdir -p "$XDG_CONFIG_HOME/Kestrunle" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
SETTINGS="$XDG_CONFIG_HOME/Kestrunle/Kestrunle.conf"
# seed_settings FOLDER: written anew before each run, since an editor that
# fails to read the catalogue forgets the folder and would ask for it.
seed_settings() {
    printf '[settings]\ngamepath=%s/\n' "$1" > "$SETTINGS"
}
catalogue_kept() {
    grep -q '^gamepath=' "$SETTINGS"
}

# startup_display: a display of our own; XVFB_PID is for the caller's cleanup.
XVFB_PID=
startup_display() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -s "$WORK/display" ] && break
        sleep 0.05
    done
    [ -s "$WORK/display" ] || { echo "${0##*/}: Xvfb did not start" >&2; cat "$WORK/xvfb.log" >&2; exit 2; }
    export DISPLAY=":$(head -n1 "$WORK/display")"
    export QT_QPA_PLATFORM=xcb
}
stop_display() {
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}

# run_once NAME PROGRAM [ARG...]: appends "milliseconds kibibytes cpu-ms"
# to $WORK/NAME: the time from launch to the main window shown (the program
# reports it, see src/app/ShownReport.h), the peak resident set size, and the
# processor time of the whole run (user and system; on a busy machine the
# wall-clock time grows with the load, this does not).
run_once() {
    local name=$1
    shift
    local start shown
    start=${EPOCHREALTIME/./}
    if ! KESTRUN_REPORT_SHOWN=quit timeout 60 /usr/bin/time -v -o "$WORK/time.txt" "$@" \
            >"$WORK/out.txt" 2>"$WORK/err.txt"; then
        echo "${0##*/}: $name failed" >&2
        cat "$WORK/err.txt" >&2
        exit 1
    fi
    shown=$(awk '$1 == "shown" { print $2; exit }' "$WORK/out.txt")
    [ -n "$shown" ] || { echo "${0##*/}: $name never reported its window shown" >&2; exit 1; }
    local rss cpu
    rss=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$WORK/time.txt")
    cpu=$(awk -F': ' '/(User|System) time \(seconds\)/ { t += $2 } END { print t * 1000 }' "$WORK/time.txt")
    awk -v s="$start" -v e="$shown" -v r="$rss" -v c="$cpu" \
        'BEGIN { printf "%.2f %d %.0f\n", (e / 1000 - s) / 1000, r, c }' >> "$WORK/$name"
}

# stats FILE COLUMN: median min max
stats() {
    sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END {
        m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%s %s %s\n", m, v[1], v[NR] }'
}
