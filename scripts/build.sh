#!/usr/bin/env bash
# Configures and builds one build directory: build.sh DIR [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
generator=()
[ -f "$dir/CMakeCache.txt" ] || generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$dir" --parallel "$(nproc)"
