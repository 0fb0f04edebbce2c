#!/usr/bin/env bash
# Builds the editor if needed and starts it on the bundled sample game folder
# and its sample map. The game-folder setting for this run lives in .run/,
# so the user's own setting is never touched.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$root/tools/ensure-packages.sh"
kestrun_ensure_packages $kestrun_packages_run

# The dev preset's tree (build/); configured here without the benchmarks, which
# need a library only the tests install, unless it exists already.
cd "$root"
build="$root/build"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset dev -DKESTRUN_BUILD_BENCHMARKS=OFF >/dev/null
fi
cmake --build --preset dev --target kestrun-editor kmp

config="$root/.run/config"
mkdir -p "$config/Kestrunle"
printf '[settings]\ngamepath=%s/sample/\n' "$root" > "$config/Kestrunle/Kestrunle.conf"
XDG_CONFIG_HOME="$config" exec "$build/src/app/kestrun-editor" "$root/sample/sample.kmp"
