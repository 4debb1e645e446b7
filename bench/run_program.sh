#!/usr/bin/env bash
# Times the whole program (process start to exit) and its peak memory.
# Usage: bench/run_program.sh BUILD_DIR [RUNS]
# The program writes its files next to itself, so a copy runs in a
# temporary folder. Uses hyperfine when installed, else a timed loop; peak
# memory comes from /usr/bin/time -v.
set -euo pipefail

build=${1:?usage: run_program.sh BUILD_DIR [RUNS]}
runs=${2:-30}

work=$(mktemp -d "${TMPDIR:-/tmp}/sb-run.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$build/scenario-builder" "$work/"
program="$work/scenario-builder"

# No display: the status goes to the terminal instead of a window.
export -n DISPLAY 2>/dev/null || true
unset DISPLAY

if command -v hyperfine >/dev/null; then
  hyperfine --warmup 3 --runs "$runs" -N "$program"
else
  start=$(date +%s%N)
  for ((i = 0; i < runs; ++i)); do "$program" >/dev/null; done
  end=$(date +%s%N)
  echo "mean over $runs runs: $(((end - start) / runs / 1000)) us"
fi

if [[ -x /usr/bin/time ]]; then
  /usr/bin/time -v "$program" 2>&1 >/dev/null | grep -E 'Maximum resident|Elapsed|File system outputs'
else
  echo "/usr/bin/time not installed: no peak memory figure"
fi
