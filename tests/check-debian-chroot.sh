#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Making a fresh Debian (scripts/debian-chroot.sh) with a debootstrap that
# fails half-way, and then with a mount that fails: each failure names its
# step and leaves nothing behind, neither a bare system in the cache nor a
# copy in /var/tmp. apt-get, debootstrap and mount are stand-ins here.
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../scripts" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir "$work/bin"
printf '#!/bin/sh\necho "http://mirror.invalid/debian trixie"\n' >"$work/bin/apt-get"
printf '#!/bin/sh\nmkdir -p "$3/usr/bin" && : >"$3/usr/bin/half-made"\nexit 1\n' \
    >"$work/bin/debootstrap"
printf '#!/bin/sh\n[ "$2" != proc ] || exit 32\nexec /bin/mount "$@"\n' >"$work/bin/mount"
chmod +x "$work/bin/"*
export XDG_CACHE_HOME=$work/cache PATH=$work/bin:$PATH
source "$scripts/debian-chroot.sh"
copies() { ls -d /var/tmp/talven-trixie.* 2>/dev/null || true; }

# "step" what the failure must say
for step in "debootstrap of Debian trixie failed" "failed at mounting /proc"; do
    before=$(copies)
    if root=$(fresh_chroot trixie 2>"$work/said"); then
        remove_chroot "$root"
        fail "a fresh Debian was made at $root although: $step"
    fi
    grep -qF "$step" "$work/said" || fail "the failure does not say \"$step\": $(cat "$work/said")"
    [[ $(copies) == "$before" ]] || fail "a copy was left in /var/tmp: $(copies)"
    if [[ $step == debootstrap* ]]; then
        left=$(ls -A "$work/cache/talven")
        [[ -z $left ]] || fail "debootstrap failed, yet the cache keeps: $left"
        # For the next step, the bare system is there.
        mkdir -p "$work/cache/talven/debian-trixie-minbase/"{proc,dev/pts}
    fi
done
echo "Each failed step was named and left nothing behind."
