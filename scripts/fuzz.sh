#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer) and runs them one
# after the other: fuzz.sh [seconds per target, default 180] [target...]
#   table_file  the table file reader, a save and a reload
#   cell_store  the cell store against a plain map
#   rich_text   the rich-text reader
#   cell_text   the kinds of cell text and the markup removal
#   block_text  tab-separated block text: parsing any bytes, and rectangles written and read back
#   table_file_encoding  telling a table file's encoding, and converting UTF-8 to GB18030
# Corpora grow in build/fuzz/corpus/<target>; crashes, leaks and slow inputs land in
# build/fuzz/findings/<target>/, the fuzzer's output in build/fuzz/logs/<target>.log.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C
all=(table_file cell_store rich_text cell_text block_text table_file_encoding)
seconds=${1:-180}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")
for target in "${targets[@]}"; do
  [[ " ${all[*]} " == *" $target "* ]] || { echo "unknown target $target (${all[*]})" >&2; exit 2; }
done

dir=build/fuzz
cmake --preset fuzz >/dev/null
cmake --build "$dir" --target "${targets[@]/#/fuzz_}" --parallel 2

# Long seeds are written here rather than kept in the repository. The committed seeds are short.
repeat() {  # repeat TEXT BYTES: TEXT over and over, cut to BYTES
  local text=$1
  while [ ${#text} -lt "$2" ]; do text+=$text; done
  printf '%s' "${text:0:$2}"
}

# Table files: cells across the text arena's sizes (inline up to 8 bytes, chunks from 16 KB, a place of
# its own above 512 KB) and files across the reader's buffer (the file size plus one, at least 4 KB, at
# most 1 MB; a longer line doubles it), with a line end, a Ctrl-Z or a file end at the 1 MB edge.
table_file_seeds() {
  local out=$1 size total
  for total in 4095 4096 4097 1048575 1048576 1048577; do  # header 5 bytes, "0,0," 4, CR LF 2
    { printf '2,2\r\n0,0,'; repeat 'Wire, 2 core; ' $((total - 11)); printf '\r\n'; } >"$out/file_$total.dat"
  done
  {
    printf '3,20\r\n'
    local row=0
    for size in 8 9 4096 16383 16384 16385 32767 32768 32769 65536 65537 131073 262145; do
      printf '0,%d,' "$row"; repeat "cell $size " "$size"; printf '\r\n'
      row=$((row + 1))
    done
  } >"$out/arena_chunks.dat"
  { printf '3,3\r\n0,0,'; repeat 'a' 524288; printf '\r\n1,1,'; repeat 'b' 524289; printf '\r\n'; } >"$out/arena_own.dat"
  # The first 1 MB read ends in the CR of a line end; in the Ctrl-Z files a Ctrl-Z starts the next read,
  # once where a line begins (the file ends there) and once inside a line.
  { printf '2,2\r\n0,0,'; repeat 'x' 1048566; printf '\r\n1,1,after\r\n'; } >"$out/edge_crlf.dat"
  { printf '2,2\r\n0,0,'; repeat 'x' 1048565; printf '\r\n\x1a1,1,after\r\n'; } >"$out/edge_ctrlz_line.dat"
  { printf '2,2\r\n0,0,'; repeat 'x' 1048567; printf '\x1a1,1,after\r\n'; } >"$out/edge_ctrlz_cell.dat"
  { printf '2,2\r\n0,0,'; repeat 'no line end ' 1048600; } >"$out/last_line.dat"
  # Texts with line breaks are saved with TAB and BS in their place.
  { printf '2,2\r\n1,1,'; repeat $'line\tbreak\b' 40000; printf '\r\n'; } >"$out/breaks.dat"
  # Rows enough for the store's pooled blocks (a long read in order).
  { printf '1,50001\r\ncw 0,80\r\n'; seq 0 49999 | awk '{ printf "0,%d,row %d\r\n", $1, $1 }'; } >"$out/rows.dat"
}

# Cell store operations; the byte layout is decoded by tests/fuzz/CellStoreFuzz.cpp. A set is
# 00 col row kind [offset] fill; kind 0x80 + c is the size class c (8 bytes, 4 KB, 16 KB ... 2 MB) plus the
# signed offset byte.
cell_store_seeds() {
  local out=$1 c row=0 offset ops=''
  for c in 0 1 2 3 4 5 6 7 8 9; do
    for offset in ff 00 01; do
      ops+=$(printf '\\x00\\x%02x\\x%02x\\x%02x\\x%s\\x41' $((row % 3)) "$row" $((0x80 + c)) "$offset")
      row=$((row + 1))
    done
  done
  printf '%b' "$ops" >"$out/sizes"
  # Three 1 MB texts rewritten to 9 bytes each: dead bytes outweigh live ones and the arena is compacted.
  printf '\x00\x00\x00\x88\x00\x42\x00\x01\x00\x88\x00\x43\x00\x02\x00\x88\x00\x44' >"$out/compaction"
  printf '\x02\x00\x00\x29\x45\x02\x01\x00\x29\x46\x02\x02\x00\x29\x47\x03\x00\x00' >>"$out/compaction"
  # 40000 rows appended in order (pooled blocks), then rows inserted, rotated and removed, a query, the
  # moves of a whole store, and a clear.
  printf '\x04\x00\xff\x00\x00\x09\x61' >"$out/rows"
  printf '\x06\x10\xe0\x00\x40\x05\x03\x07\x00\xf3\x08\x05\xf4\x07\x0b\x00\x00\xf5\x20' >>"$out/rows"
  printf '\x0a\x22\x16\x09' >>"$out/rows"
  # 32 rows of 64 columns set from the last cell to the first, then long texts written into them.
  printf '\x41\x00\x1f\x00\xfd\x05\x61\x00\x03\x10\x87\x01\x50\x00\x03\x11\x89\x00\x51' >"$out/wide"
}

rich_text_seeds() {
  local out=$1
  { printf '{\\rtf1\\ansi{\\fonttbl{\\f0 SimSun;}}\\uc1 '
    repeat "Wire \b bold\b0  \'b3\'a4 \u20013?{\*\bkmkstart x} \tab \par " 600000; printf '}'; } >"$out/long.rtf"
  { repeat '{' 200000; printf 'x'; repeat '}' 200000; } >"$out/deep.rtf"
}

cell_text_seeds() {
  local out=$1
  repeat '<B>bold</B><br>text <I>italic</I> <font color="red">' 600000 >"$out/long_markup.txt"
  { printf '%s' "|\\"; repeat $'\x4e\x2d\x65\x87' 600001; } >"$out/long_wide.txt"
  repeat 'x<BR' 1048576 >"$out/unclosed.txt"
  { repeat '<table><tr><td><div class="x">' 300000; repeat '</div></td></tr></table>' 300000; } >"$out/deep_markup.txt"
}

block_text_seeds() {
  local out=$1
  repeat '"' 262144 >"$out/quotes.txt"
  { printf '"'; repeat $'a\t""\r\n' 262143; } >"$out/open_quote.txt"
  repeat $'\xd6\xd0\t"x""y"\t\t\n' 262144 >"$out/rows.txt"
}

# The sample tables as they stand and as an editor saves them in UTF-8, with and without a byte-order mark.
table_file_encoding_seeds() {
  local out=$1
  cp examples/data.dat "$out/data.dat"
  iconv -f GB18030 -t UTF-8 examples/data.dat >"$out/data_utf8.dat"
  { printf '\xef\xbb\xbf'; iconv -f GB18030 -t UTF-8 examples/data2.dat; } >"$out/data2_bom_utf8.dat"
}

status=0
summary=()
for target in "${targets[@]}"; do
  case $target in
    table_file) options=(-max_len=1179648 -malloc_limit_mb=512 -timeout=20) ;;
    # Longer inputs are longer runs of operations: let the length limit grow sooner than by default.
    cell_store) options=(-max_len=4096 -malloc_limit_mb=512 -timeout=30 -len_control=10) ;;
    rich_text) options=(-max_len=1048576 -timeout=20 -dict=tests/fuzz/rich_text.dict) ;;
    cell_text) options=(-max_len=1048576 -timeout=20 -dict=tests/fuzz/cell_text.dict) ;;
    block_text) options=(-max_len=1048576 -timeout=20) ;;
    table_file_encoding) options=(-max_len=65536 -timeout=10) ;;
  esac
  # Inputs of 1 MB, or of runs of thousands of rows, are slow: the fuzzer picks the quick ones more often.
  options+=(-entropic_scale_per_exec_time=1)
  corpus=$dir/corpus/$target
  seeds=$dir/seeds/$target
  findings=$dir/findings/$target
  log=$dir/logs/$target.log
  mkdir -p "$corpus" "$seeds" "$findings" "$dir/logs"
  "${target}_seeds" "$seeds"
  inputs=("$corpus" "$seeds")
  for extra in tests/fuzz/seeds/$target tests/fuzz/regressions/$target; do
    [ -d "$extra" ] && inputs+=("$extra")
  done
  echo "fuzzing $target for $seconds s; output in $log"
  # One worker at low priority; 1 MB inputs leave the memory cap far above what a sane run needs.
  start=$SECONDS
  result=0
  nice -n 10 "$dir/tests/fuzz/fuzz_$target" "${inputs[@]}" "${options[@]}" -max_total_time="$seconds" \
    -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || result=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  line="$target: exit $result, ${runs:-?} runs in $((SECONDS - start)) s, peak RSS ${rss:-?} MB,"
  line+=" corpus $(find "$corpus" -type f | wc -l) files ($(du -sh "$corpus" | cut -f1)),"
  line+=" findings $(find "$findings" -type f | wc -l)"
  summary+=("$line")
  echo "$line"
  if [ "$result" -ne 0 ]; then
    status=1
    tail -n 40 "$log"
  fi
done
printf '%s\n' "${summary[@]}"
exit $status
