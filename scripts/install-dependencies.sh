#!/usr/bin/env bash
# Installs the Debian packages TALVEN needs to build, run and test, when any
# of them is missing. As root it installs them; otherwise it prints the
# command to run and stops.
set -euo pipefail

packages=(cmake g++ make qt6-base-dev qt6-serialport-dev fonts-liberation2
          clang libclang-rt-14-dev clang-format clang-tidy
          appstream desktop-file-utils dpkg-dev)

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
