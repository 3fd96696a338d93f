# Shared by the test fixtures that run Wine tests on an X display and in a
# Wine prefix of their own (window manager, other system locales). Sourced,
# not run.

# The display `offset` numbers above the test display (TARVO_DISPLAY, else
# DISPLAY, else :77), e.g. ":177" for offset 100.
fixture_display() {
  local base="${TARVO_DISPLAY:-${DISPLAY:-:77}}"
  base="${base#:}"; base="${base%%.*}"
  echo ":$((base + $1))"
}

# Starts Xvfb on `display` unless one serves it already, with the same
# command line as wine-run's so that wine-run finds it running; its process
# id goes to STATE/xvfb.pid. The screen is 1280x1024 unless SCREEN says
# another size.
start_virtual_display() {
  local display="$1" state="$2" screen="${3:-1280x1024}"
  local number="${display#:}"
  if [ ! -S "/tmp/.X11-unix/X$number" ] || ! pgrep -f "Xvfb $display( |$)" >/dev/null; then
    rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
    nohup Xvfb "$display" -screen 0 "${screen}x24" -nolisten tcp >"$state/xvfb.log" 2>&1 </dev/null &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
  fi
  [ -S "/tmp/.X11-unix/X$number" ]
}

# Ends the process whose id the file holds (if it still runs) and removes
# the file.
stop_pid_file() {
  local file="$1"
  [ -f "$file" ] || return 0
  local pid
  pid="$(cat "$file")"
  rm -f "$file"
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}

# Ends the Wine processes of the fixture's prefix (STATE/wine/prefix): they
# hold its display open.
stop_fixture_wine() {
  local state="$1"
  if [ -f "$state/wine/prefix/system.reg" ]; then
    WINEPREFIX="$state/wine/prefix" wineserver -k 2>/dev/null || true
    WINEPREFIX="$state/wine/prefix" timeout 30 wineserver -w 2>/dev/null || true
  fi
}
