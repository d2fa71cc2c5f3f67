#!/bin/sh
# Plays the real game in a scratch copy of its data folder on the X server
# that xvfb-run gives the test. $3 changes the copy first (a shell command);
# each further argument is a shell command run once the window shows, with
# $window set. Prints what they print, then the game's standard output and
# its exit status, for the test's regular expression to judge.
game=$1 data=$2 change=$3
shift 3
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cp "$data"/* "$work" && cd "$work" && sh -c "$change" || exit 1
# shellcheck disable=SC2086  # the wrapper (valgrind and its options) is split on purpose
timeout 600 $SKORVANE_UNDER "$game" > game.out &
game_pid=$!
if [ $# -gt 0 ]; then
  window=$(timeout 300 xdotool search --sync --onlyvisible --name '^Skorvane$' | head -n 1)
  export window
  xdotool mousemove --window "$window" 250 250  # keys go to the window under the pointer
  for command in "$@"; do sh -c "$command"; done
fi
wait $game_pid
status=$?
cat game.out
echo "exit status $status"
