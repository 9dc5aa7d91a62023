#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package and installs it, with apt resolving its declared
# dependencies, into a fresh minimal Debian 12 and Debian 13 (see
# scripts/debian-chroot.sh); then starts the installed program in each
# (offscreen) and checks it is still running after three seconds. Needs root
# and the Debian mirror that this machine's apt sources name.
#   packaging/check-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $(id -u) -eq 0 ]] || { echo "Run as root: it makes chroots." >&2; exit 1; }
source scripts/debian-chroot.sh
scripts/install-dependencies.sh test # dpkg-shlibdeps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target talven >/dev/null
(cd build && cpack -G DEB >/dev/null)
package=$(ls build/talven_*_amd64.deb)

roots=()
trap 'for root in "${roots[@]}"; do remove_chroot "$root"; done' EXIT
for release in "12 bookworm" "13 trixie"; do
    read -r number suite <<<"$release"
    root=$(fresh_chroot "$suite")
    roots+=("$root")
    cp "$package" "$root/tmp/"
    chroot "$root" apt-get update -qq
    chroot "$root" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq "/tmp/$(basename "$package")" >/dev/null
    chroot "$root" dpkg -s talven | grep -E '^(Status|Depends):'
    chroot "$root" env QT_QPA_PLATFORM=offscreen HOME=/root timeout 3 talven && status=0 || status=$?
    if [[ $status -ne 124 ]]; then
        echo "talven ended with status $status in the fresh Debian $number." >&2
        exit 1
    fi
    echo "talven installed on a fresh Debian $number and kept running."
done
