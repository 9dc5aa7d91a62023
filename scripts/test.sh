#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds TALVEN and runs every test: first the normal build; then the format
# and static checks; then a clang build with AddressSanitizer, LeakSanitizer
# and UndefinedBehaviorSanitizer that runs the whole suite again (the
# benchmarks are built there too, so that they keep building and are checked
# with the rest). A warning fails either build. While working, a quicker run
# leaves out the release checks: ctest --test-dir build -LE release
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh test

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVEN_WERROR=ON
cmake --build build --parallel "$(nproc)"
ctest --test-dir build --output-on-failure

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DTALVEN_WERROR=ON -DTALVEN_SANITIZE=ON -DTALVEN_BENCH=ON
cmake --build build-sanitize --parallel "$(nproc)"
scripts/check-style.sh build-sanitize
ctest --test-dir build-sanitize --output-on-failure
# Another user's run leaves out what only root can set up, and says so (as
# root, the runs as "nobody" leave nothing out: root runs it all).
if [[ $(id -u) -ne 0 ]]; then
    left=$(grep -aho 'Left to a run as root: .*' build/Testing/Temporary/LastTest.log \
        | sed 's/^Left to a run as root: //' | sort -u | tr '\n' '\t' | sed 's/\t$//; s/\t/, /g' || true)
    [[ -z $left ]] || echo "Left to a run as root: $left"
fi
