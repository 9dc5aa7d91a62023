#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Cross-builds TALVEN for Debian arm64 on a Debian amd64 machine and runs the
# whole suite on that build under qemu-user, where the arm64 package is made
# twice and passed by lintian as the amd64 one is; then installs the package
# on a bare Debian 12 and Debian 13 arm64 and starts it there
# (packaging/check-package.sh). Needs root: it has the kernel run arm64
# programs through qemu, and makes chroots.
#   scripts/arm64.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $(id -u) -eq 0 ]] || { echo "Run as root: it registers qemu-user and makes chroots (sudo $0)." >&2; exit 1; }
host=$(dpkg --print-architecture)
[[ $host == amd64 ]] || { echo "scripts/arm64.sh cross-builds on an amd64 Debian; this is $host." >&2; exit 1; }
scripts/install-dependencies.sh arm64

cmake -S . -B build-arm64 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALVEN_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/arm64/toolchain.cmake"
cmake --build build-arm64 --parallel "$(nproc)"
ctest --test-dir build-arm64 --output-on-failure
packaging/check-package.sh arm64
