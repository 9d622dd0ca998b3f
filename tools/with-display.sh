#!/usr/bin/env bash
# Runs a command with an X display: the current one, or a private Xvfb.
#   tools/with-display.sh [--own] COMMAND...
# --own always starts a private server, so that programs run side by side
# never draw into each other's windows.
set -euo pipefail
own=0
if [ "${1:-}" = "--own" ]; then
  own=1
  shift
fi
if [ $own -eq 0 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$@"
fi
# The server picks a free display number itself and writes it to fd 3.
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$fifo"' EXIT
read -r -t 20 number <"$fifo" || { echo "with-display: Xvfb did not start" >&2; exit 1; }
display=":$number"
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display "$@"
