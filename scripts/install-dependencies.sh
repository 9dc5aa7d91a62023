#!/usr/bin/env bash
# Installs the Debian packages TALVEN needs when any of them is missing: for
# "run", what building and running it takes; for "test", what its tests take
# as well. As root it installs them; otherwise it prints the command to run.
#   scripts/install-dependencies.sh run|test
set -euo pipefail

packages=(cmake g++ make qt6-base-dev qt6-serialport-dev qt6-qpa-plugins fonts-liberation2)
if [[ ${1:?say run or test} == test ]]; then
    # The sanitizer build, the style checks, the package checks, an X server
    # for the button, and python3 to make a socket at the settings path.
    packages+=(clang libclang-rt-14-dev clang-format clang-tidy appstream desktop-file-utils
               dpkg-dev xvfb xauth python3)
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -ne 0 ]]; then
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installing ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
