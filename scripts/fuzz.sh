#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) into build-fuzz/ and runs each for a
# short time (FUZZ_SECONDS, default 20) from its seed corpus under tests/fuzz/corpus/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DTESSARY_FUZZ=ON -DTESSARY_GUI=OFF -DTESSARY_BENCH=OFF \
    "${launcher[@]}" >/dev/null
targets=(image_fuzz)
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]}"
for target in "${targets[@]}"; do
    corpus=tests/fuzz/corpus/${target%_fuzz}
    work=$(mktemp -d)
    cp -r "$corpus"/. "$work"/ 2>/dev/null || true
    echo "fuzz: $target for ${seconds}s"
    build-fuzz/bin/"$target" -max_total_time="$seconds" -max_len=4096 "$work"
    rm -rf "$work"
done
