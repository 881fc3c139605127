#!/usr/bin/env bash
# Opens the real window on a 1920 x 1080 X server at scale factors 1 and 2, with no window manager and under
# openbox, and checks where it lands (WindowPlacementCheck.cpp). Exits 77 (skipped) without Xvfb; the runs
# under openbox are left out where it is missing.
set -u
check=$1
# shellcheck source=../support/xvfb.sh
. "$(dirname "$0")/../support/xvfb.sh"
require_tools Xvfb xdpyinfo
work=$(mktemp -d)
trap 'kill ${wm:-} ${xvfb:-} 2> /dev/null; rm -rf "$work"' EXIT

start_xvfb "$work" 1920x1080x24
export QT_QPA_PLATFORM=xcb LANG=C.UTF-8

result=0
run() {  # run WHAT SCALE
  local out status
  out=$(QT_SCALE_FACTOR=$2 "$check" 2>&1)
  status=$?
  echo "$1, scale $2: $out"
  [ $status -eq 0 ] || result=1
}
for scale in 1 2; do run "no window manager" $scale; done
if command -v openbox > /dev/null; then
  openbox > "$work/openbox.log" 2>&1 &
  wm=$!
  sleep 1
  for scale in 1 2; do run openbox $scale; done
fi
exit $result
