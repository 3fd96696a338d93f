#!/usr/bin/env bash
# Runs Wine tests under another system locale than the usual one (zh_CN.GBK,
# code page 936): on an X display and in a Wine prefix of their own, so that
# the prefix is made, fonts and all, under that locale and nothing of the
# other tests changes.
#
#   locale_fixture.sh start STATE_DIR OFFSET             Xvfb, once
#   locale_fixture.sh stop STATE_DIR                     ends what start started
#   locale_fixture.sh run STATE_DIR OFFSET LOCALE CMD... runs CMD under LOCALE,
#                                                        in a fresh Wine
#
# The display is the test display (TARVO_DISPLAY, else DISPLAY, else :77)
# plus OFFSET; the Wine prefix is STATE_DIR/wine/prefix. `run` exports
# TARVO_DISPLAY, TARVO_WINEPREFIX and TARVO_LOCALE (which wine-run reads) and
# TARVO_EXPECT_LOCALE for CMD (the tests check that they run under it).
set -euo pipefail
action="$1"
state="$2"
shift 2
mkdir -p "$state"
source "$(dirname "$0")/virtual_display.sh"

case "$action" in
start)
  "$0" stop "$state" || true
  display="$(fixture_display "$1")"
  start_virtual_display "$display" "$state" || { echo "Xvfb did not start on $display" >&2; exit 1; }
  ;;
stop)
  stop_fixture_wine "$state"
  stop_pid_file "$state/xvfb.pid"
  ;;
run)
  # Each run (and a rerun after a failure) starts with this prefix's Wine
  # ended, so that nothing an earlier run left behind in it carries over.
  stop_fixture_wine "$state"
  export TARVO_DISPLAY="$(fixture_display "$1")"
  export TARVO_WINEPREFIX="$state/wine/prefix"
  export TARVO_LOCALE="$2"
  export TARVO_EXPECT_LOCALE="$2"
  shift 2
  exec "$@"
  ;;
*)
  echo "usage: $0 start STATE_DIR OFFSET | stop STATE_DIR | run STATE_DIR OFFSET LOCALE COMMAND..." >&2
  exit 2
  ;;
esac
