#!/bin/sh
# Runs one Windows program of the build under Wine: a test, or the listing of the tests.
# Wine's server and its helper processes are started once, away from the caller's output,
# and kept a minute after the last program ends: started afresh for every test they would
# cost seconds each time, and a helper that holds the caller's output open keeps it waiting.
: "${WINEDEBUG:=-all}"
export WINEDEBUG
if wineserver -p60 </dev/null >/dev/null 2>&1; then
  wine wineboot </dev/null >/dev/null 2>&1
fi
exec wine "$@"
