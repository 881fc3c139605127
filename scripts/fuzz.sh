#!/usr/bin/env bash
# Builds the table file reader's fuzzer with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs it: fuzz.sh [seconds, default 180]. Findings land in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}
dir=build/fuzz
generator=()
[ -f "$dir/CMakeCache.txt" ] || generator=(-G Ninja)
cmake -S . -B "$dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DMETRAZIL_FUZZ=ON -DMETRAZIL_GUI=OFF -DMETRAZIL_BENCH=OFF
cmake --build "$dir" --target fuzz_table_file --parallel 2
mkdir -p "$dir/corpus" "$dir/findings"
cp -n tests/fuzz/seeds/* "$dir/corpus/" 2>/dev/null || true
# One worker; memory capped so a hostile count line that allocated per row would be caught.
"$dir/tests/fuzz/fuzz_table_file" "$dir/corpus" -max_total_time="$seconds" -rss_limit_mb=1024 \
  -malloc_limit_mb=512 -max_len=65536 -timeout=10 -artifact_prefix="$dir/findings/" -print_final_stats=1
