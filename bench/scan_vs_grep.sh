#!/usr/bin/env bash
# Generates a 200 MB cue sheet and times the track scan beside `grep -ci '^ *track'` and
# `wc -l` on the same file (read from the page cache by all three), printing the times and
# the ratios. Target: scan/grep <= 1.0; aim: scan within twice the time of wc -l.
#   bench/scan_vs_grep.sh [MEGABYTES]      (needs the native build: cmake --build --preset native)
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-200}
bench=build/native/bench/scan_bench
[ -x "$bench" ] || {
  cmake --preset native >/dev/null &&
    cmake --build --preset native --target scan_bench >/dev/null
}
file=$(mktemp --suffix=.cue)
trap 'rm -f "$file"' EXIT

# Realistic lines: a file record per disc, indented track, title, performer, index lines.
awk -v limit=$((size * 1000000)) 'BEGIN {
  n = 0; bytes = 0
  while (bytes < limit) {
    disc = "FILE \"Disc " n ".bin\" BINARY\r\n"
    printf "%s", disc; bytes += length(disc)
    for (t = 1; t <= 99 && bytes < limit; t++) {
      block = sprintf("  TRACK %02d AUDIO\r\n    TITLE \"Song %d, Part %d\"\r\n", t, t, n) \
              "    PERFORMER \"Some Band\"\r\n" \
              sprintf("    INDEX 00 %02d:%02d:00\r\n    INDEX 01 %02d:%02d:02\r\n",
                      t % 60, t % 60, t % 60, t % 60)
      printf "%s", block; bytes += length(block)
    }
    n++
  }
}' > "$file"
cat "$file" > /dev/null  # into the page cache for everyone

# seconds COMMAND...: wall time of the fastest of three runs. Output goes to a file, not
# /dev/null: GNU grep stops at the first match when it sees its output thrown away.
out=$(mktemp)
trap 'rm -f "$file" "$out"' EXIT
seconds() {
  local best="" start end t
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$@" >"$out"
    end=$(date +%s%N)
    t=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  awk -v ms="$best" 'BEGIN { printf "%.3f", ms / 1000 }'
}

echo "file: $(du -m "$file" | cut -f1) MB, $(wc -l < "$file") lines"
echo "scan says: $("$bench" "$file" | head -1) (last track)"
"$bench" "$file" | tail -n +2
scan=$(seconds "$bench" "$file")
grep_t=$(seconds grep -ci '^ *track' "$file")
wc_t=$(seconds wc -l "$file")
echo "scan_bench:            ${scan} s"
echo "grep -ci '^ *track':   ${grep_t} s"
echo "wc -l:                 ${wc_t} s"
awk -v s="$scan" -v g="$grep_t" -v w="$wc_t" 'BEGIN {
  printf "scan / grep: %.2f  (target <= 1.0)\n", (g > 0 ? s / g : 0)
  printf "scan / wc -l: %.2f  (aim <= 2.0)\n", (w > 0 ? s / w : 0)
}'
