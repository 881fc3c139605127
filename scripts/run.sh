#!/usr/bin/env bash
# Installs what is missing, builds the program in Release mode and starts it. The first time, the sample
# tables are copied beside the program; a table already there is never replaced.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh release
program_dir=build/release/app
if [ ! -e "$program_dir/data.dat" ]; then
  cp -n examples/data.dat "$program_dir/data.dat"
  [ -e "$program_dir/data2.dat" ] || cp -n examples/data2.dat "$program_dir/data2.dat"
fi
exec "$program_dir/metrazil" "$@"
