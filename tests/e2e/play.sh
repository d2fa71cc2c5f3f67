#!/bin/sh
# Plays the game $1 in a new empty folder on the X server xvfb-run gives the test.
# $2 is a shell command run there first (copying the data files in, say); each
# further argument is one run once the window shows, with $window set. Prints
# what they print, the game's output, the files left and the exit status.
game=$1 prepare=$2
shift 2
work=$(mktemp -d) && out=$(mktemp) || exit 1
trap 'rm -rf "$work" "$out"' EXIT
cd "$work" && sh -c "$prepare" || exit 1
# shellcheck disable=SC2086  # the wrapper (valgrind and its options) is split on purpose
timeout 120 $SKORVANE_UNDER "$game" > "$out" &
game_pid=$!
if [ $# -gt 0 ]; then
  window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Skorvane$' | head -n 1)
  export window
  xdotool mousemove --window "$window" 250 250  # keys go to the window under the pointer
  for command in "$@"; do sh -c "$command"; done
fi
wait $game_pid
status=$?
cat "$out"
echo "files: $(ls -A | tr '\n' ' ')"
echo "exit status $status"
