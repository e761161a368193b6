#!/bin/sh
# Usage: play-in-terminal.sh FOLDER HOW GAME [ARGUMENT...]
# Plays one game in the terminal this script runs in and notes in FOLDER the terminal's settings
# before the game (before), each time its job is stopped (stopped) and after it (after), the job's
# exit status (status) and the process id of the game (game); the game runs in FOLDER, so any file
# it is told to write lands there too. HOW says how the game is started:
#   job       as a job of its own, as a shell starts a command;
#   launcher  by a launcher script (sh -c "GAME; true") that is the job, as a script, make or env
#             would start it; its process id is noted too (launcher);
#   nohup     outliving its terminal, so that it meets the end of its input instead.
# While the job is stopped, the script waits for a word in the file FOLDER/word, which the test
# writes whole: fg continues the job in the foreground; bg continues it in the background and waits
# for the next word, noting that it did (background).
# The shell is not interactive, so it repairs the terminal only where an interactive shell does, when
# the job stops, and only after noting it: what it notes is what the game left.
if [ "$1" = as-game ]; then
  echo $$ >"$2/game"
  shift 2
  exec "$@"
fi
me=$0 folder=$1 how=$2
shift 2
trap : INT QUIT # the shell outlives a Ctrl-C or a Ctrl-\ that ends the game
ulimit -c 0     # and the game leaves no core file behind
if [ "$how" = nohup ]; then
  trap '' HUP # the game outlives its terminal and meets the end of its input instead
else
  set -m # the game runs as a job of its own, which Ctrl-Z can stop
fi
mkdir -p "$folder" && cd "$folder" || exit

# The word is taken by renaming it, so that a word the test writes while this one is read is kept.
next_word() {
  until mv word word.taken 2>/dev/null; do
    sleep 0.05
  done
  read -r word <word.taken
}

stty -a >before
saved=$(stty -g)
if [ "$how" = launcher ]; then
  sh -c 'echo $$ >"$1/launcher"; shift; "$@"; true' launcher "$folder" sh "$me" as-game "$folder" "$@"
else
  sh "$me" as-game "$folder" "$@"
fi
status=$?
while [ "$status" -gt 128 ]; do
  case $(kill -l "$status") in
  TSTP | TTIN | TTOU | STOP) ;;
  *) break ;;
  esac
  stty -a >stopped.part
  stty "$saved"
  mv stopped.part stopped
  next_word
  if [ "$word" = bg ]; then
    bg >/dev/null
    echo bg >background
    next_word
  fi
  fg >/dev/null
  status=$?
done
echo "$status" >status.part
# A signal from the terminal reaches a launcher and the game alike, and the launcher may end first:
# the terminal is noted once the game itself has finished putting it back.
while [ -s game ] && kill -0 "$(cat game)" 2>/dev/null; do
  sleep 0.05
done
stty -a >after 2>/dev/null
mv status.part status # written last: the test waits for it
if [ "$how" != nohup ]; then
  exec sleep 600 # keeps the screen readable until the test closes the terminal
fi
