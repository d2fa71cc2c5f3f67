#!/bin/bash
# Plays the game $1 in a new empty folder on the X server xvfb-run gives the test.
# $2 is a shell command run there first (copying the data files in, say); each
# further argument is one run once the window shows. Prints what they print, the
# game's output (read from a pipe, as a script or the journal reads it), the files
# left and the exit status. The commands may use:
#   game_pid      the process to signal
#   printed TEXT  waits until the game's output holds TEXT
#   moves         waits until the picture changes by itself
#   rockets_bar N waits until the green rockets bar is N pixels long, give or take one
#   recorded      the seconds of sound OpenAL Soft's wave writer has written to game.wav
#                 (stereo 32-bit float at the 44.1 kHz the config sets, in real time)
#   hear_until S  waits until S seconds are recorded
#   loudness S L [C]  the RMS amplitude of L seconds from S on, of both channels or C (1 left)
#   louder A B    true when the amplitude A is more than twice B
# Each waits at most SKORVANE_DEADLINE seconds (60 unless set; the game gets
# twice that); a failed command is named in a line "play.sh: failed: COMMAND".
game=$1 prepare=$2
deadline=${SKORVANE_DEADLINE:-60}
shift 2
work=$(mktemp -d) && out=$(mktemp) && pipe=$(mktemp -u) && mkfifo "$pipe" || exit 1
trap 'rm -rf "$work" "$out" "$pipe"' EXIT
cd "$work" && sh -c "$prepare" || exit 1
cat "$pipe" > "$out" &
reader=$!
# shellcheck disable=SC2086  # the wrapper (valgrind and its options) is split on purpose
timeout -k 10 $((2 * deadline)) $SKORVANE_UNDER "$game" $SKORVANE_ARGS > "$pipe" &
game_pid=$!

picture() { import -window "$window" -depth 8 rgb:- | cksum; }
bar() { import -window "$window" -crop 500x1+0+24 -depth 8 txt:- | grep -c '#00FF00'; }
moves() {
  local first
  first=$(picture)
  timeout "$deadline" bash -c "until [ \"\$(picture)\" != '$first' ]; do :; done"
}
rockets_bar() { timeout "$deadline" bash -c "until [ \$((\$(bar) - $1)) -ge -1 ] && [ \$((\$(bar) - $1)) -le 1 ]; do :; done"; }
recorded() { stat -c %s game.wav | awk '{print ($1 - 68) / 352800}'; }
hear_until() { timeout "$deadline" bash -c "until awk -v s=\$(recorded) 'BEGIN {exit !(s >= $1)}'; do :; done"; }
loudness() { sox -V1 game.wav -n trim "$1" "$2" ${3:+remix "$3"} stat 2>&1 | awk '/^RMS +amp/ {print $3}'; }
louder() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a > 2 * b)}'; }
printed() { timeout "$deadline" bash -c 'until grep -qF -- "$1" "$0"; do :; done' "$out" "$1"; }
export -f picture bar recorded

if [ $# -gt 0 ]; then
  window=$(timeout $((2 * deadline)) xdotool search --sync --onlyvisible --name '^Skorvane$' | head -n 1)
  export window
  xdotool mousemove --window "$window" 250 250  # keys go to the window under the pointer
  for command in "$@"; do eval "$command" || echo "play.sh: failed: $command"; done
fi
wait $game_pid
status=$?
wait $reader
cat "$out"
[ -z "$SKORVANE_KEEP_OUTPUT" ] || cp "$out" "$SKORVANE_KEEP_OUTPUT"  # for the browser's test
echo "files: $(ls -A | tr '\n' ' ')"
echo "exit status $status"
