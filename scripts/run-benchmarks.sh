#!/usr/bin/env bash
# Runs every benchmark executable of a build folder (named *_bench) and prints its report.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
found=0
for bench in "$build"/bin/*_bench; do
    found=1
    echo "== $(basename "$bench")"
    QT_QPA_PLATFORM=offscreen "$bench"
done
if [[ $found -eq 0 ]]; then
    echo "no benchmarks in $build/bin" >&2
    exit 1
fi
