#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Making a fresh Debian (scripts/debian-chroot.sh) with a debootstrap that
# fails half-way, and then with a mount that fails: each failure names its
# step and leaves nothing behind, neither a bare system in the cache nor a
# copy in /var/tmp. apt-get, debootstrap and mount are stand-ins here.
set -euo pipefail
source "$(dirname "$0")/stand-ins.sh"
printf '#!/bin/sh\necho "http://mirror.invalid/debian trixie"\n' >"$stand_ins/apt-get"
printf '#!/bin/sh\nmkdir -p "$3/usr/bin" && : >"$3/usr/bin/half-made"\nexit 1\n' \
    >"$stand_ins/debootstrap"
printf '#!/bin/sh\n[ "$2" != proc ] || exit 32\nexec /bin/mount "$@"\n' >"$stand_ins/mount"
chmod +x "$stand_ins/"*
export XDG_CACHE_HOME=$work/cache
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
