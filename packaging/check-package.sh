#!/usr/bin/env bash
# Builds the Debian package and installs it, with apt resolving its declared
# dependencies, into a fresh minimal Debian 12 made by debootstrap; then starts
# the installed program there (offscreen) and checks it is still running after
# three seconds. Needs root and the Debian mirror that this machine's apt
# sources name; takes a few minutes.
#   packaging/check-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
[[ $(id -u) -eq 0 ]] || { echo "Run as root: it makes a chroot." >&2; exit 1; }
command -v debootstrap >/dev/null || {
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
}
scripts/install-dependencies.sh test # dpkg-shlibdeps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target talven >/dev/null
(cd build && cpack -G DEB >/dev/null)
package=$(ls build/talven_*_amd64.deb)

root=$(mktemp -d /var/tmp/talven-debian12.XXXXXX)
trap 'umount "$root/proc" 2>/dev/null || true; rm -rf "$root"' EXIT
# The Debian mirror this machine's own apt sources name, proxy or not.
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' \
    | awk '$2 == "bookworm" { print $1; exit }')
[[ -n "$mirror" ]] || { echo "No bookworm source in this machine's apt sources." >&2; exit 1; }
debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
mount -t proc proc "$root/proc"
cp "$package" "$root/tmp/"
chroot "$root" apt-get update -qq
chroot "$root" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq "/tmp/$(basename "$package")" >/dev/null
chroot "$root" dpkg -s talven | grep -E '^(Status|Depends):'

chroot "$root" env QT_QPA_PLATFORM=offscreen HOME=/root timeout 3 talven && status=0 || status=$?
if [[ $status -eq 124 ]]; then
    echo "talven installed on a fresh Debian 12 and kept running."
else
    echo "talven ended with status $status in the fresh Debian 12." >&2
    exit 1
fi
