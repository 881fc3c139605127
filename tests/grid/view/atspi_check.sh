#!/usr/bin/env bash
# Checks the grid from outside over AT-SPI, as a screen reader sees it: Xvfb, a D-Bus session with the
# accessibility bus, and atspi_check.py (python3 with gi's Atspi). Exits 77 (skipped) when any is missing.
set -u
check=$1
script=$(dirname "$0")/atspi_check.py
python=/usr/bin/python3
# shellcheck source=../../support/xvfb.sh
. "$(dirname "$0")/../../support/xvfb.sh"
require_tools Xvfb xdpyinfo dbus-run-session xdotool "$python" /usr/libexec/at-spi-bus-launcher
"$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' 2> /dev/null ||
  { echo "no Atspi for python3: skipped"; exit 77; }
work=$(mktemp -d)
trap 'kill ${xvfb:-} 2> /dev/null; rm -rf "$work"' EXIT

start_xvfb "$work" 1024x768x24

# The session bus starts the accessibility bus and its registry on demand; Qt's bridge talks to it even
# though no screen reader announced itself.
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LANG=C.UTF-8
dbus-run-session -- bash -c '
  "$1" 30000 &
  app=$!
  "$2" "$3" "$(basename "$1")" "换算表"
  result=$?
  kill $app 2> /dev/null
  wait $app 2> /dev/null
  exit $result
' check "$check" "$python" "$script"
