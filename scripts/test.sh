#!/usr/bin/env bash
# Installs what is missing, checks the layers, builds everything in Release mode, checks the formatting and
# runs clang-tidy, and runs every test; then builds the program and every test again under AddressSanitizer
# and UndefinedBehaviorSanitizer and runs them too. In between it builds the Debian package and the portable
# archive and checks them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-layers.py

scripts/build.sh release
scripts/lint.sh build/release
ctest --preset release
scripts/check-packages.sh build/release

scripts/build.sh sanitize
ctest --preset sanitize
