#!/usr/bin/env bash
# Runs each fuzz target for longer than the tests do, on both cores, keeping
# what it finds in build-sanitize/tests/fuzz/corpus/.
#   scripts/fuzz.sh [SECONDS]     # default 600 per target
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/install-dependencies.sh
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTALVEN_SANITIZE=ON -DTALVEN_FUZZ=ON >/dev/null
cmake --build build-sanitize --parallel "$(nproc)" --target fuzz_port_setting fuzz_date_frame
for target in port_setting date_frame; do
    corpus=build-sanitize/tests/fuzz/corpus/fuzz_$target
    mkdir -p "$corpus"
    "build-sanitize/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -jobs="$(nproc)" \
        -workers="$(nproc)" "$corpus" "tests/fuzz/corpus/$target"
done
