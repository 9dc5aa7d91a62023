#!/usr/bin/env bash
# Builds TALVEN and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)" --target talven
exec build/app/talven
