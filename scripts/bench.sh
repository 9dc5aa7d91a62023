#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the benchmarks with optimisation and runs them; BENCHMARKS.md says
# what each measures and keeps the results.
#   scripts/bench.sh            # start-up on the offscreen platform
#   QT_QPA_PLATFORM=xcb xvfb-run -a scripts/bench.sh   # ... on an X server
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTALVEN_BENCH=ON >/dev/null
cmake --build build-bench --parallel "$(nproc)" >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
build-bench/bench/bench_press_to_wire 2000
build-bench/bench/bench_startup 30
build-bench/bench/bench_soak_memory 50000
build-bench/bench/bench_talking_clock 83 60
