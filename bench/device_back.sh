#!/bin/bash
# The time from a sound server's return to the game's sound, five times over: the
# real game on a PulseAudio server of the bench's own (started as the end-to-end
# tests start one, by tests/e2e/play.sh), the server stopped, then started again.
# From the moment it answers: until the game says its sound is back, and until the
# sink's monitor hears it (the listening itself takes half a second a try).
# Usage: device_back.sh GAME DATA_DIR, on an X display.
set -eu
game=$(realpath "$1") data=$(realpath "$2")
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
ms() { echo $(($(date +%s%N) / 1000000)); }
round() {  # the game has lost its sound $1 times so far
  echo "pactl exit && printed 'sound lost' $1 && pulse_up && t=\$(ms) && printed 'sound is back' $1 &&
    back=\$((\$(ms) - t)) && heard && echo \"back after \$back ms, heard after \$((\$(ms) - t)) ms\""
}
export -f ms
XDG_RUNTIME_DIR=$runtime/pulse HOME=$runtime ALSOFT_DRIVERS=pulse SKORVANE_DEADLINE=30 \
  bash "$(dirname "$0")/../tests/e2e/play.sh" "$game" \
  "cp '$data'/* . && mkdir -p -m 700 \$XDG_RUNTIME_DIR && pulse_up" heard \
  "$(round 1)" "$(round 2)" "$(round 3)" "$(round 4)" "$(round 5)" "xdotool key q && pactl exit" |
  grep -E '^(back|play.sh: failed)'
