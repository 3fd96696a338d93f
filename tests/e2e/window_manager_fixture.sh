#!/usr/bin/env bash
# A window manager (openbox) on an X display of its own, for running Wine
# tests the way players run Wine: under a window manager. The display and
# the Wine prefix are separate from the bare X server the other tests use,
# so nothing there changes.
#
#   window_manager_fixture.sh start STATE_DIR      Xvfb and openbox, once
#   window_manager_fixture.sh stop STATE_DIR       ends what start started
#   window_manager_fixture.sh run STATE_DIR CMD... runs CMD on that display
#
# The display is TARVO_WM_DISPLAY if set, else the test display
# (TARVO_DISPLAY, else DISPLAY, else :77) plus 100; the Wine prefix is STATE_DIR/wine/prefix. `run` exports
# TARVO_DISPLAY, TARVO_WINEPREFIX and TARVO_EXPECT_WINDOW_MANAGER=1 for CMD
# (wine-run reads the first two; the tests check the third).
set -euo pipefail
action="$1"
state="$2"
shift 2
mkdir -p "$state"

source "$(dirname "$0")/virtual_display.sh"
display="${TARVO_WM_DISPLAY:-$(fixture_display 100)}"

wm_running() {
  DISPLAY="$display" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

case "$action" in
start)
  "$0" stop "$state" || true
  start_virtual_display "$display" "$state" || { echo "Xvfb did not start on $display" >&2; exit 1; }
  if ! wm_running; then
    DISPLAY="$display" nohup openbox --sm-disable >"$state/openbox.log" 2>&1 </dev/null &
    echo $! >"$state/openbox.pid"
  fi
  for _ in $(seq 100); do wm_running && exit 0; sleep 0.1; done
  echo "openbox did not start on $display" >&2
  cat "$state/openbox.log" >&2 || true
  exit 1
  ;;
stop)
  stop_fixture_wine "$state"
  stop_pid_file "$state/openbox.pid"
  stop_pid_file "$state/xvfb.pid"
  ;;
run)
  export TARVO_DISPLAY="$display"
  export TARVO_WINEPREFIX="$state/wine/prefix"
  export TARVO_EXPECT_WINDOW_MANAGER=1
  exec "$@"
  ;;
*)
  echo "usage: $0 start|stop|run STATE_DIR [COMMAND...]" >&2
  exit 2
  ;;
esac
