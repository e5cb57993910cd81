#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for SECONDS (default 20),
# starting from its seed corpus. Prints the executions of each; exits non-zero when a target found
# a crash (the input is kept in the build folder as crash-*).
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# FUZZ_BUILD names the build folder (default build-fuzz); FUZZ_JOBS the compile jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shift || true
build=${FUZZ_BUILD:-build-fuzz}
if ! command -v clang++ >/dev/null || ! command -v clang >/dev/null; then
    echo "fuzz: clang is not installed; the fuzz targets are skipped"
    exit 0
fi
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DTESSARY_FUZZ=ON -DTESSARY_GUI=OFF -DTESSARY_BENCH=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$build" --target fuzzers -j "${FUZZ_JOBS:-$(nproc)}"

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    for corpus in tests/fuzz/corpus/*/; do
        targets+=("$(basename "$corpus")")
    done
fi
failed=0
for target in "${targets[@]}"; do
    work="$build/corpus/$target"
    mkdir -p "$work"
    log="$build/$target.log"
    # New inputs go to the work corpus; the seeds in the tree stay as they are.
    if "$build/bin/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$build/$target-" "$work" "tests/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz: $target: ${runs:-?} executions in ${seconds} s, nothing found"
    else
        failed=1
        echo "fuzz: $target FAILED; see $log"
        tail -n 40 "$log"
    fi
done
exit $failed
