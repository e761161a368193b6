#!/bin/sh
# Usage: play-in-terminal.sh GAME FOLDER [nohup]
# Plays one game in the terminal this script runs in and notes in FOLDER the terminal's settings
# before the game, while it is stopped and after it, and the game's exit status. The shell is not
# interactive, so it never repairs the terminal itself: what it notes is what the game left.
trap : INT # the shell outlives a Ctrl-C that ends the game
if [ "$3" = nohup ]; then
  trap '' HUP # the game outlives its terminal and meets the end of its input instead
else
  set -m # the game runs as a job of its own, which Ctrl-Z can stop
fi
mkdir -p "$2"
stty -a >"$2/before"
"$1"
status=$?
while [ "$status" -gt 128 ] && [ "$(kill -l "$status")" = TSTP ]; do
  stty -a >"$2/stopped"
  fg >/dev/null
  status=$?
done
echo "$status" >"$2/status.part"
stty -a >"$2/after" 2>/dev/null
mv "$2/status.part" "$2/status" # written last: the test waits for it
if [ "$3" != nohup ]; then
  exec sleep 600 # keeps the screen readable until the test closes the terminal
fi
