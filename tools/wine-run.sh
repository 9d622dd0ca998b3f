#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own Wine prefix
# (build/windows/wine unless WINEPREFIX says otherwise), creating the prefix
# on first use. Wine's own diagnostics stay quiet; the program's exit status is ours.
#   tools/wine-run.sh PROGRAM.exe [ARGUMENTS...]
#   tools/wine-run.sh --stop      ends the prefix's Wine server and its services now
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wine}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ "${1:-}" = "--stop" ]; then
  if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
  exit 0
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # Several tests may start at once: one of them makes the prefix, the others wait.
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
    fi
  ) 9>"$WINEPREFIX.lock"
fi
# A server that outlives each program by a while: starting Wine's services
# anew for every test program would cost seconds each time, and one started
# while the last is still shutting down waits for it.
wineserver -p"${RVB_WINESERVER_PERSIST:-120}" 2>/dev/null || true
if [ -t 1 ]; then
  exec wine "$@"
fi
# Wine's services, started by the first program, live on with its standard
# output and error; were those the caller's pipes (ctest, a test's popen), the
# caller would wait for the services to end. They get files, passed on after.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
wine "$@" >"$out" 2>"$err" || status=$?
cat "$out"
cat "$err" >&2
exit "$status"
