#!/bin/sh
# Runs every benchmark with Google Benchmark's repetitions and tables, then lists the medians
# beside their targets, and then a lost sound server's return, timed by device_back.sh.
# Usage: run_bench.sh BENCH_BINARY_DIR DATA_DIR GAME
set -eu
bin=$(cd "$1" && pwd)
data=$2 game=$3
out=$bin/results
mkdir -p "$out"
set -- --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

"$bin/tick_bench" "$@" --benchmark_out="$out/tick.json"
"$bin/reader_bench" "$@" --benchmark_out="$out/readers.json"
# initGame reads the game's four files from the working directory; OpenAL Soft
# mixes in real time into a file that keeps nothing, as it would for a sound card.
printf '[wave]\nfile=/dev/null\n' > "$out/alsoft.conf"
(cd "$data" && LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=wave ALSOFT_CONF="$out/alsoft.conf" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  sh -c '"$0/frame_bench" "$@" --benchmark_out="$0/results/frames.json" &&
    "$0/startup_bench" "$@" --benchmark_out="$0/results/startup.json"' "$bin" "$@")

echo
echo "Medians of 5 repetitions (load average now: $(cat /proc/loadavg))"
awk '
  BEGIN {
    target["BM_TickFullLoad"] = "<= 5 us"
    target["BM_GameLoading"] = "<= 5 ms"
    target["BM_Mesh1300kTriangles"] = ">= 150 MB/s"
    target["BM_Bmp1024"] = "<= 2 ms"
    target["BM_PollPads"] = "<= 1% of a full-load frame"
    target["BM_PadPressToWorld"] = "one tick at most"
    target["BM_MusicSynthesis"] = "after the first frame, a level a tick"
    target["BM_StartToFirstFrame"] = "within 5% of --mute"
    printf "%-38s %14s   %s\n", "benchmark", "median", "target"
  }
  { value = $2; gsub(/[",]/, "", value) }
  /"name":/ { name = value; sub(/_median$/, "", name); sub(/\/(real|manual)_time$/, "", name); sub(/\/iterations:[0-9]+/, "", name)
              base = name; sub(/\/.*/, "", base) }
  /"aggregate_name":/ { median = value == "median" }
  /"real_time":/ { time = value }
  /"time_unit":/ { unit = value }
  /"bytes_per_second":/ { bytes = value }
  /"fps":/ { fps = value }
  /"ticks":/ { ticks = value }
  /"longest_ms":/ { longest = value }
  /"tick_ms":/ { tick = value }
  /^ *}/ {
    if (median) {
      if (ticks != "") shown = sprintf("%d tick, %.0f ms of %.0f", ticks, longest, tick)
      else if (fps != "") shown = sprintf("%.0f fps", fps)
      else if (bytes != "") shown = sprintf("%.0f MB/s", bytes / 1e6)
      else shown = sprintf("%.2f %s", time, unit)
      printf "%-38s %14s   %s\n", name, shown, target[base]
    }
    median = 0; fps = ""; bytes = ""; ticks = ""
  }' "$out/tick.json" "$out/readers.json" "$out/frames.json" "$out/startup.json"

echo
echo "A lost sound server back (the game tries again every 3 s after the loss):"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$(dirname "$0")/device_back.sh" "$game" "$data"
