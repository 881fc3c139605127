# shellcheck shell=bash
# Sourced by the checks that run a program on an X server of their own. A check's EXIT trap kills ${xvfb:-}
# with whatever else it started.

# Exits 77 (skipped) when one of the tools named is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" > /dev/null || { echo "no $tool: skipped"; exit 77; }
  done
}

# start_xvfb FOLDER WxHxD: Xvfb on a display number nobody uses, told by Xvfb itself into FOLDER, and DISPLAY
# exported once the server answers. Other test runs start and stop servers meanwhile, so a display that does
# not answer gets a second server.
start_xvfb() {
  local work=$1
  for _ in 1 2; do
    : > "$work/display"
    exec 3> "$work/display"
    Xvfb -displayfd 3 -screen 0 "$2" > "$work/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    for _ in $(seq 50); do xdpyinfo > /dev/null 2>&1 && return 0; sleep 0.1; done
    kill "$xvfb" 2> /dev/null
  done
  echo "Xvfb does not answer on $DISPLAY"
  exit 1
}
