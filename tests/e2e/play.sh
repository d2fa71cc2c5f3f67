#!/bin/bash
# Plays the game $1 in a new empty folder on the X server xvfb-run gives the test.
# $2 is a shell command run there first (copying the data files in, say); each
# further argument is one run once the window shows. Prints what they print, the
# game's output (read from a pipe, as a script or the journal reads it), the files
# left and the exit status; between the output and the files, the game's standard
# error after a line "standard error:", if it wrote any. The commands may use:
#   game_pid      the process to signal
#   printed TEXT [N]  waits until the game's output or standard error holds TEXT (N times)
#   moves         waits until the picture changes by itself
#   recorded      the seconds of sound OpenAL Soft's wave writer has written to game.wav
#                 (stereo 32-bit float at the 44.1 kHz the config sets, in real time)
#   hear_until S  waits until S seconds are recorded
#   loudness S L [C]  the RMS amplitude of L seconds from S on, of both channels or C (1 left)
#   loudest S L   the loudness of the loudest tenth of a second in L seconds from S on
#   jump S L      the largest step between two samples in L seconds from S on: a click
#   louder A B    true when the amplitude A is more than twice B
#   pulse_up      starts a PulseAudio server (under XDG_RUNTIME_DIR) with a null sink "out",
#                 and waits until it answers; also in $2
#   heard         waits until half a second from out's monitor is louder than 0.005
# Each waits at most SKORVANE_DEADLINE seconds (60 unless set; the game gets
# twice that); a failed command is named in a line "play.sh: failed: COMMAND".
game=$1 prepare=$2
deadline=${SKORVANE_DEADLINE:-60}
shift 2
work=$(mktemp -d) && out=$(mktemp) && err=$(mktemp) && pipe=$(mktemp -u) && mkfifo "$pipe" || exit 1
trap 'rm -rf "$work" "$out" "$err" "$pipe"' EXIT
picture() { import -window "$window" -depth 8 rgb:- | cksum; }
moves() {
  local first
  first=$(picture)
  timeout "$deadline" bash -c "until [ \"\$(picture)\" != '$first' ]; do :; done"
}
recorded() { { stat -c %s game.wav 2>/dev/null || echo 68; } | awk '{print ($1 - 68) / 352800}'; }
hear_until() { timeout "$deadline" bash -c "until awk -v s=\$(recorded) 'BEGIN {exit !(s >= $1)}'; do :; done"; }
loudness() { sox -V1 game.wav -n trim "$1" "$2" ${3:+remix "$3"} stat 2>&1 | awk '/^RMS +amp/ {print $3}'; }
loudest() {
  for step in $(seq 0 $(awk -v l="$2" 'BEGIN {print 10 * l - 1}')); do
    loudness "$(awk -v s="$1" -v k="$step" 'BEGIN {print s + k / 10}')" 0.1
  done | sort -g | tail -n 1
}
jump() { sox -V1 game.wav -n trim "$1" "$2" remix 1 stat 2>&1 | awk '/^Maximum delta/ {print $3}'; }
louder() { awk -v a="$1" -v b="$2" 'BEGIN {exit !(a > 2 * b)}'; }
printed() {
  timeout "$deadline" bash -c 'until [ "$(cat "$0" "$1" | grep -cF -- "$2")" -ge "$3" ]; do :; done' \
    "$out" "$err" "$1" "${2:-1}"
}
pulse_up() {
  timeout 300 pulseaudio -n --daemonize=no --exit-idle-time=-1 -L 'module-null-sink sink_name=out' \
    -L 'module-native-protocol-unix auth-anonymous=1' > /dev/null 2>&1 &
  timeout "$deadline" bash -c 'until pactl info > /dev/null 2>&1; do :; done'
}
heard() {
  timeout "$deadline" bash -c "until timeout 0.5 parec -d out.monitor --format=float32le --channels=1 | \
    sox -V1 -t f32 -r 44100 -c 1 - -n stat 2>&1 | awk '/^RMS +amp/ {exit !(\$3 > 0.005)}'; do :; done"
}
export -f picture recorded pulse_up
export deadline

cd "$work" && bash -c "$prepare" || exit 1
cat "$pipe" > "$out" &
reader=$!
# shellcheck disable=SC2086  # the options are split on purpose
timeout -k 10 $((2 * deadline)) "$game" $SKORVANE_ARGS > "$pipe" 2> "$err" &
game_pid=$!

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
[ ! -s "$err" ] || { echo "standard error:"; cat "$err"; }
[ -z "$SKORVANE_KEEP_OUTPUT" ] || cp "$out" "$SKORVANE_KEEP_OUTPUT"  # for the browser's test
echo "files: $(ls -A | tr '\n' ' ')"
echo "exit status $status"
