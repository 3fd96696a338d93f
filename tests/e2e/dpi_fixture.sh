#!/usr/bin/env bash
# Runs Wine tests on a display scaled like a player's screen at 150 % or
# 200 %: on an X display of a size that scale goes with, and in a Wine prefix
# of their own whose system DPI (LogPixels) is set, so that nothing of the
# other tests changes.
#
#   dpi_fixture.sh start STATE_DIR OFFSET DPI           Xvfb, once
#   dpi_fixture.sh stop STATE_DIR                       ends what start started
#   dpi_fixture.sh run STATE_DIR OFFSET DPI WINE_RUN PROGRAM ARGS...
#                                                       runs PROGRAM through WINE_RUN
#                                                       at DPI, in a fresh Wine
#
# The display is the test display (TARVO_DISPLAY, else DISPLAY, else :77)
# plus OFFSET; its screen is 1280x1024 scaled by DPI / 96. The Wine prefix is
# STATE_DIR/wine/prefix. `run` sets LogPixels there through WINE_RUN (the
# build tree's wine-run), restarts the prefix's Wine so that it takes the
# value, and exports TARVO_DISPLAY, TARVO_WINEPREFIX and TARVO_EXPECT_DPI
# (the tests check that they run at it) for the program.
set -euo pipefail
action="$1"
state="$2"
shift 2
mkdir -p "$state"
source "$(dirname "$0")/virtual_display.sh"

screen_for() {
  echo "$((1280 * $1 / 96))x$((1024 * $1 / 96))"
}

case "$action" in
start)
  "$0" stop "$state" || true
  display="$(fixture_display "$1")"
  start_virtual_display "$display" "$state" "$(screen_for "$2")" || { echo "Xvfb did not start on $display" >&2; exit 1; }
  ;;
stop)
  stop_fixture_wine "$state"
  stop_pid_file "$state/xvfb.pid"
  ;;
run)
  stop_fixture_wine "$state"
  export TARVO_DISPLAY="$(fixture_display "$1")"
  export TARVO_WINEPREFIX="$state/wine/prefix"
  export TARVO_EXPECT_DPI="$2"
  wine_run="$3"
  shift 3
  "$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$TARVO_EXPECT_DPI" /f >/dev/null 2>&1
  # The DPI is read when Wine starts.
  stop_fixture_wine "$state"
  exec "$wine_run" "$@"
  ;;
*)
  echo "usage: $0 start STATE_DIR OFFSET DPI | stop STATE_DIR | run STATE_DIR OFFSET DPI WINE_RUN PROGRAM ARGS..." >&2
  exit 2
  ;;
esac
