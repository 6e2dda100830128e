#!/usr/bin/env bash
# Times Varnite.exe from process start to visible window against a bare window with the
# same manifest (and the same window loading the common controls first), started in turn
# under Wine on a private display and in a private prefix, and prints the medians and the
# ratios (aim: at most 1.2). Best run on a quiet machine: other work on the CPU lengthens
# each, but not by the same amount.
#   bench/start_vs_bare.sh [RUNS]          (31 of each unless told)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
preset=$(varnite_windows_preset)
if [ ! -f "build/$preset/CMakeCache.txt" ]; then cmake --preset "$preset" >/dev/null; fi
cmake --build --preset "$preset" --target start_bench >/dev/null
trap 'varnite_stop_wine; varnite_stop_display' EXIT
varnite_start_display
varnite_start_wine "$PWD/build/wineprefix-$preset"
"$VARNITE_WINE" "build/$preset/start_bench.exe" "${1:-31}"
