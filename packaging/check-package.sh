#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds the Debian package for this machine, or cross-built for ARCH (arm64,
# scripts/arm64/), and installs it, with apt resolving its declared
# dependencies, into a fresh minimal Debian 12 and Debian 13 of its
# architecture (see scripts/debian-chroot.sh); then starts the installed
# program in each (offscreen) and checks it is still running after three
# seconds. A cross-built package must carry the same files and description
# as this machine's. Needs root and the Debian mirror that this machine's apt
# sources name.
#   packaging/check-package.sh [ARCH]
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $(id -u) -eq 0 ]] || { echo "Run as root: it makes chroots." >&2; exit 1; }
source scripts/debian-chroot.sh
native=$(dpkg --print-architecture)
arch=${1:-$native}

# BUILD_FOLDER [CMAKE_OPTION...]
make_package() {
    cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${@:2}" >/dev/null
    cmake --build "$1" --parallel "$(nproc)" --target talven >/dev/null
    (cd "$1" && cpack -G DEB >/dev/null)
}
files_and_description() {
    dpkg-deb --contents "$1" | awk '{ print $NF }'
    dpkg-deb --field "$1" Package Version Section Priority Maintainer Description
}

if [[ $arch == "$native" ]]; then
    scripts/install-dependencies.sh test # dpkg-shlibdeps
    make_package build
    package=$(ls build/talven_*_"$arch".deb)
else
    scripts/install-dependencies.sh "$arch"
    make_package "build-$arch" -DCMAKE_TOOLCHAIN_FILE="$PWD/scripts/$arch/toolchain.cmake"
    package=$(ls "build-$arch"/talven_*_"$arch".deb)
    make_package build
    if ! diff -u <(files_and_description build/talven_*_"$native".deb) <(files_and_description "$package"); then
        echo "The $arch package differs from the $native one in its files or description (above)." >&2
        exit 1
    fi
    echo "The $arch package carries the files and description of the $native one."
    chroot_arch=$arch
fi

# NUMBER ROOT: installs the package with what it declares it needs, and no
# more (no Recommends), and starts it.
install_and_start() {
    local number=$1 root=$2 status
    cp "$package" "$root/tmp/"
    chroot "$root" apt-get update -qq
    chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "/tmp/$(basename "$package")" >/dev/null
    chroot "$root" dpkg -s talven | grep -E '^(Architecture|Status|Depends):'
    chroot "$root" env QT_QPA_PLATFORM=offscreen HOME=/root timeout 3 talven && status=0 || status=$?
    if [[ $status -ne 124 ]]; then
        echo "talven ended with status $status in the fresh Debian $number $arch." >&2
        return 1
    fi
    echo "talven installed on a fresh Debian $number $arch and kept running."
}

# Both releases at once, as under qemu-user each install takes a core for a
# minute or two.
roots=()
logs=$(mktemp -d)
trap 'for root in "${roots[@]}"; do remove_chroot "$root"; done; rm -rf "$logs"' EXIT
checks=()
for release in "12 bookworm" "13 trixie"; do
    read -r number suite <<<"$release"
    root=$(fresh_chroot "$suite" ${chroot_arch:-})
    roots+=("$root")
    install_and_start "$number" "$root" >"$logs/$number" 2>&1 &
    checks+=("$number $!")
done
failed=0
for check in "${checks[@]}"; do
    read -r number job <<<"$check"
    wait "$job" || failed=1
    cat "$logs/$number"
done
exit $failed
