# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Fresh minimal Debian systems to install and test TALVEN in, made with
# debootstrap (minbase) from the Debian mirror that this machine's apt sources
# name. Each release's bare system is kept in ~/.cache/talven and copied for
# every use, so each use starts from a bare system. Another architecture's
# (arm64) runs through qemu-user (scripts/install-dependencies.sh arm64).
# Needs root.
#   source scripts/debian-chroot.sh
#   root=$(fresh_chroot trixie [arm64]); ...; remove_chroot "$root"

debian_mirror() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' \
        | awk '$2 == "bookworm" || $2 == "trixie" { print $1; exit }'
}

# It runs inside $(...), where bash ignores set -e, so every step is checked
# here: a step that fails is named, and leaves nothing behind, neither in the
# cache nor in /var/tmp.
fresh_chroot() {
    local suite=$1 arch=${2:-} mirror
    local name=debian-$suite${arch:+-$arch}
    local bare=${XDG_CACHE_HOME:-$HOME/.cache}/talven/$name-minbase
    if [[ ! -d $bare ]]; then
        command -v debootstrap >/dev/null || {
            apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
        } >&2 || { echo "Installing debootstrap failed." >&2; return 1; }
        mirror=$(debian_mirror)
        [[ -n $mirror ]] || { echo "No Debian mirror in this machine's apt sources." >&2; return 1; }
        rm -rf "$bare.partial"
        mkdir -p "$(dirname "$bare")" || return 1
        echo "Making a bare Debian $suite ${arch:+$arch }from $mirror into $bare" >&2
        if ! debootstrap --variant=minbase ${arch:+--arch="$arch"} "$suite" "$bare.partial" "$mirror" \
            >/dev/null; then
            rm -rf --one-file-system "$bare.partial"
            echo "debootstrap of Debian $suite ${arch:+$arch }failed; nothing was kept in $(dirname "$bare")." >&2
            return 1
        fi
        mv "$bare.partial" "$bare" || return 1
    fi
    local root
    root=$(mktemp -d "/var/tmp/talven-${name#debian-}.XXXXXX") || return 1
    local step
    if ! cp -a "$bare/." "$root"; then
        step="copying the bare Debian $suite from $bare"
    elif ! mount -t proc proc "$root/proc"; then
        step="mounting /proc"
    # Pseudo-terminals of the chroot's own, for the serial tests, and shared
    # memory that any user may use, as on a Debian that runs.
    elif ! mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"; then
        step="mounting /dev/pts"
    elif ! mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"; then
        step="mounting /dev/shm"
    elif ! ln -sf pts/ptmx "$root/dev/ptmx"; then
        step="linking /dev/ptmx"
    fi
    if [[ -n ${step:-} ]]; then
        remove_chroot "$root"
        echo "Making a fresh Debian $suite failed at $step." >&2
        return 1
    fi
    echo "$root"
}

remove_chroot() {
    umount "$1/dev/shm" "$1/dev/pts" "$1/proc" 2>/dev/null || true
    rm -rf --one-file-system "$1"
}
