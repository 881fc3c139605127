#!/usr/bin/env bash
# Configures and builds one preset of CMakePresets.json: build.sh PRESET [cmake --build options...]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$1
shift
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --parallel "$(nproc)" "$@"
