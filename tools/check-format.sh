#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ file is not formatted as
# .clang-format says; tools/format.sh fixes them.
exec "$(dirname "${BASH_SOURCE[0]}")/format.sh" --check
