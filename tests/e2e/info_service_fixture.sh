#!/usr/bin/env bash
# Starts or stops the information service stand-in for the end-to-end tests.
#   info_service_fixture.sh start|stop STATE_DIR
# start: runs tools/info_service.py on a free loopback port with the test
# configuration; the port goes to STATE_DIR/port, requests to STATE_DIR/requests.log.
set -euo pipefail
action="$1"
state="$2"
root="$(cd "$(dirname "$0")/../.." && pwd)"
mkdir -p "$state"
case "$action" in
start)
  "$0" stop "$state" || true
  rm -f "$state/port" "$state/requests.log"
  nohup python3 "$root/tools/info_service.py" --port 0 --config "$root/tests/e2e/info_service.json" \
    --log "$state/requests.log" --ready-file "$state/port" >"$state/service.out" 2>&1 </dev/null &
  echo $! >"$state/pid"
  for _ in $(seq 100); do [ -s "$state/port" ] && exit 0; sleep 0.1; done
  echo "the information service did not start" >&2
  cat "$state/service.out" >&2
  exit 1
  ;;
stop)
  if [ -f "$state/pid" ]; then
    kill "$(cat "$state/pid")" 2>/dev/null || true
    rm -f "$state/pid"
  fi
  ;;
esac
