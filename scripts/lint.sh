#!/usr/bin/env bash
# Checks the formatting of every source and runs clang-tidy over the program's own sources:
# lint.sh BUILD_DIR (a configured build with compile_commands.json, generated sources built).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"
mapfile -t units < <(git ls-files 'base/*.cpp' 'conversion/*.cpp' 'grid/*.cpp' 'ui/*.cpp' 'app/*.cpp')
printf '%s\n' "${units[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
