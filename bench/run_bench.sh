#!/bin/sh
# Runs every benchmark (in-process ones, then the real program under its own virtual X server)
# and prints one table: figure, value, target, pass or miss. Full output goes to the log folder.
set -u
bench_dir=$1   # where the bench binaries are
game=$2        # the game binary
data_dir=$3    # the game's data files

rows=$bench_dir/rows.tsv
logs=$bench_dir/logs
mkdir -p "$logs"
: > "$rows"
load_before=$(cut -d" " -f1-3 /proc/loadavg)

echo "tick ..." >&2
"$bench_dir/tick_bench" --benchmark_color=false --rows "$rows" > "$logs/tick.log" 2>&1 ||
  printf 'tick benchmarks\tfailed, see %s\t\tmiss\n' "$logs/tick.log" >> "$rows"

echo "readers ..." >&2
"$bench_dir/reader_bench" --benchmark_color=false --rows "$rows" > "$logs/readers.log" 2>&1 ||
  printf 'reader benchmarks\tfailed, see %s\t\tmiss\n' "$logs/readers.log" >> "$rows"

echo "the real program under Xvfb (about four minutes) ..." >&2
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  "$bench_dir/frame_driver" --game "$game" --minimal "$bench_dir/minimal_glut" \
  --shim "$bench_dir/libswapcount.so" --data "$data_dir" --rows "$rows" > "$logs/frames.log" 2>&1 ||
  printf 'frame benchmarks\tfailed, see %s\t\tmiss\n' "$logs/frames.log" >> "$rows"

echo "frame parts ..." >&2
(cd "$data_dir" && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  "$bench_dir/frame_parts" --rows "$rows") > "$logs/frame_parts.log" 2>&1 ||
  printf 'frame parts\tfailed, see %s\t\tmiss\n' "$logs/frame_parts.log" >> "$rows"

awk -F '\t' '
  { for (i = 1; i <= 4; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
  END {
    split("figure value target result", head, " ")
    for (i = 1; i <= 4; i++) if (length(head[i]) > w[i]) w[i] = length(head[i])
    line = sprintf("%-" w[1] "s | %-" w[2] "s | %-" w[3] "s | %s", head[1], head[2], head[3], head[4])
    print line
    rule = line; gsub(/./, "-", rule); print rule
    for (r = 1; r <= NR; r++)
      printf "%-" w[1] "s | %-" w[2] "s | %-" w[3] "s | %s\n", cell[r, 1], cell[r, 2], cell[r, 3], cell[r, 4]
  }' "$rows"
echo "load average before: $load_before; after: $(cut -d" " -f1-3 /proc/loadavg); $(nproc) cores"
echo "full output: $logs"
