#!/usr/bin/env bash
# Installs what is missing, builds everything in Release mode and runs every test; then builds the core
# and its tests again under AddressSanitizer and UndefinedBehaviorSanitizer and runs those.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

scripts/build.sh build/release
(cd build/release && ctest --output-on-failure --timeout 600)

scripts/build.sh build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMETRAZIL_SANITIZE=ON \
  -DMETRAZIL_GUI=OFF -DMETRAZIL_BENCH=OFF
(cd build/sanitize && ctest --output-on-failure --timeout 600)
