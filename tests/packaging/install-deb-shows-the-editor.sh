#!/usr/bin/env bash
# Builds the Debian package, installs it with apt as a user would (which must
# find every dependency in Debian), and checks the installed programs: kmp
# makes a map, the desktop types it as a Kestrun map, and kestrun-editor from
# the PATH shows its main window on a private Xvfb display, on the sample game
# folder and that map. Needs root (apt). On a machine holding only what the
# scripts install:
#   ../shared/tools/fresh-debian tests/packaging/install-deb-shows-the-editor.sh
# The limits are multiplied by KESTRUN_E2E_TIME_SCALE.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
source "$root/tools/ensure-packages.sh"
source "$root/tests/e2e/private-display.sh"
kestrun_ensure_packages $kestrun_packages_run dpkg-dev file xvfb xdotool xdg-utils shared-mime-info

work=$(mktemp -d)
started=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait || true
    rm -rf "$work"
}
trap cleanup EXIT

build="$work/build"
(cd "$root" && cmake --preset release -B "$build" >/dev/null)
cmake --build "$build"
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$(ls "$work"/deb/kestrun-editor_*.deb)
echo "installing $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive apt-get install -y "$deb" >"$work/apt.log" 2>&1 ||
    { tail -n 40 "$work/apt.log" >&2; exit 1; }

cd "$work"
kmp --version
kmp new level.kmp
type=$(xdg-mime query filetype level.kmp)
echo "level.kmp is $type"
[ "$type" = "application/x-kestrun-map" ]

export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Kestrunle"
printf '[settings]\ngamepath=%s/sample/\n' "$root" >"$XDG_CONFIG_HOME/Kestrunle/Kestrunle.conf"
start_private_display "$work"
started+=("$xvfb_pid")
kestrun-editor "$root/sample/sample.kmp" >"$work/editor.log" 2>&1 &
editor=$!
started+=("$editor")
wait_for_editor_window "$editor" "$work/editor.log" "$(scaled_limit 60)"
echo "$(command -v kestrun-editor): the main window is on screen:" \
     "$(xdotool getwindowgeometry "$window" | sed -n 's/^ *Geometry: //p')"
