#!/usr/bin/env bash
# Types "nihao", a space and Enter into a grid through a real ibus with libpinyin under Xvfb. Exits 77
# (skipped) when any of the tools is missing.
set -u
check=$1
# shellcheck source=../../support/xvfb.sh
. "$(dirname "$0")/../../support/xvfb.sh"
require_tools Xvfb xdpyinfo dbus-launch ibus-daemon ibus xdotool
work=$(mktemp -d)
trap 'ibus exit > /dev/null 2>&1; kill ${DBUS_SESSION_BUS_PID:-} ${xvfb:-} 2> /dev/null; rm -rf "$work"' EXIT

start_xvfb "$work" 1024x768x24
eval "$(dbus-launch --sh-syntax)"
export QT_IM_MODULE=ibus XMODIFIERS=@im=ibus QT_QPA_PLATFORM=xcb
ibus-daemon -d -x -r > "$work/ibus.log" 2>&1
for _ in $(seq 50); do ibus engine > /dev/null 2>&1 && break; sleep 0.2; done
ibus list-engine | grep -q libpinyin || { echo "no libpinyin engine: skipped"; exit 77; }
ibus engine libpinyin

"$check" 30000 &
app=$!
for _ in $(seq 50); do xdotool search --name "grid input method check" > /dev/null && break; sleep 0.2; done
sleep 1
xdotool type --delay 150 nihao
sleep 0.5
xdotool key space
sleep 0.5
xdotool key Return
wait $app
