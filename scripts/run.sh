#!/usr/bin/env bash
# Installs what is missing, builds the program in Release mode and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
exec build/release/app/metrazil "$@"
