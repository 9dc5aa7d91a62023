#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Photographs TALVEN's window as the X server shows it (Xvfb, Qt's xcb
# platform), open on a pseudo-terminal, into docs/talven-window.png.
#   scripts/screenshot.sh [SCALE]    # SCALE 2 writes docs/talven-window@2x.png
set -euo pipefail
cd "$(dirname "$0")/.."
scale=${1:-1}
output=docs/talven-window.png
[[ "$scale" == 1 ]] || output="docs/talven-window@${scale}x.png"

if [[ $(id -u) -eq 0 ]]; then
    missing=()
    for package in xvfb xauth x11-utils imagemagick; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    if [[ ${#missing[@]} -gt 0 ]]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
fi
for command in xvfb-run xwininfo import; do
    command -v "$command" >/dev/null || {
        echo "Needs $command: sudo apt-get install -y xvfb xauth x11-utils imagemagick" >&2
        exit 1
    }
done
scripts/install-dependencies.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target talven >/dev/null

# A private settings folder whose Com1 is a pseudo-terminal kept open by
# python, so the window starts without a warning box.
config=$(mktemp -d)
trap 'rm -rf "$config"; kill "$holder" 2>/dev/null || true' EXIT
fifo="$config/device"
mkfifo "$fifo"
python3 -c '
import os, pty, sys, time
controller, device = pty.openpty()
with open(sys.argv[1], "w") as out:
    out.write(os.ttyname(device))
time.sleep(30)' "$fifo" &
holder=$!
device=$(cat "$fifo")
mkdir -p "$config/TALVEN"
printf '[Ports]\nCom1=%s\n' "$device" >"$config/TALVEN/TALVEN.conf"

XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$scale" \
    xvfb-run --auto-servernum --server-args="-screen 0 800x600x24" bash -c '
        build/app/talven &
        app=$!
        window=
        for _ in $(seq 50); do
            window=$(xwininfo -name "GPS Date Initialization" 2>/dev/null \
                | sed -n "s/^xwininfo: Window id: \(0x[0-9a-f]*\).*/\1/p")
            [[ -n "$window" ]] && break
            sleep 0.2
        done
        sleep 1
        [[ -n "$window" ]] && import -window "$window" "$1"
        kill $app
        [[ -n "$window" ]]' _ "$output"
echo "Wrote $output"
