#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs the test command (scripts/test.sh) on bare Debian 12 and 13, first as
# root, which installs what it needs, then as an ordinary user: a debootstrap
# minbase system of each release, kept bare in ~/.cache/talven between runs,
# each user with a clean clone of this repository's committed state. Needs
# root.
#   scripts/test-on-bare-debian.sh [bookworm|trixie]...
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $(id -u) -eq 0 ]] || { echo "Run as root: it makes a chroot (sudo $0)." >&2; exit 1; }
source scripts/debian-chroot.sh
suites=("$@")
[[ ${#suites[@]} -gt 0 ]] || suites=(bookworm trixie)
path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
for suite in "${suites[@]}"; do
    root=$(fresh_chroot "$suite")
    trap 'remove_chroot "$root"' EXIT
    git clone --quiet --no-local . "$root/root/talven"
    chroot "$root" env -i HOME=/root PATH=$path LANG=C.UTF-8 /root/talven/scripts/test.sh
    chroot "$root" useradd --create-home tech
    git clone --quiet --no-local . "$root/home/tech/talven"
    chroot "$root" chown -R tech:tech /home/tech/talven
    chroot --userspec=tech:tech "$root" env -i HOME=/home/tech PATH=$path LANG=C.UTF-8 \
        /home/tech/talven/scripts/test.sh
    remove_chroot "$root"
    trap - EXIT
    echo "The test command passed on a bare Debian $suite, as root and as an ordinary user."
done
