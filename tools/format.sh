#!/usr/bin/env bash
# Formats the project's C++ files in place with clang-format and the root's
# .clang-format (Debian 12's clang-format 14: another version may lay some
# lines out differently).
#   tools/format.sh            formats every tracked C++ file
#   tools/format.sh --check    changes nothing; fails, naming the files, when
#                              any file is not formatted (tools/check-format.sh)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

check=false
if [ "${1:-}" = "--check" ]; then
    check=true
elif [ $# -gt 0 ]; then
    echo "usage: tools/format.sh [--check]" >&2
    exit 2
fi

clang_format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$clang_format" ]; then
    echo "format: clang-format is not installed (Debian: apt-get install clang-format)" >&2
    exit 2
fi

# The tracked sources, or every one under the folders in a copy without git.
folders=(src tests bench fuzz tools data)
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -- "${folders[@]/%//*.cpp}" "${folders[@]/%//*.h}")
else
    mapfile -t files < <(find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
fi

if ! $check; then
    "$clang_format" -i --style=file "${files[@]}"
    exit 0
fi

unformatted=()
for file in "${files[@]}"; do
    "$clang_format" --dry-run --Werror --style=file "$file" 2>/dev/null || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    printf '%s\n' "${unformatted[@]}" >&2
    echo "format: ${#unformatted[@]} of ${#files[@]} C++ files differ from .clang-format;" \
         "tools/format.sh formats them in place" >&2
    exit 1
fi
echo "format: ${#files[@]} C++ files match .clang-format"
