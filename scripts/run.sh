#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds TALVEN and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-dependencies.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel "$(nproc)" --target talven
exec build/app/talven
