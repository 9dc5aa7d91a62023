#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# The .deb made twice from the same sources, in two folders of different
# names at two different times (each copy's files are new, as a fresh clone's
# are), with the file times of the last commit: the same file byte for byte,
# which lintian passes with no error and no warning. The options are the
# build's own (a cross build's toolchain).
#   check-reproducible-deb.sh [CMAKE_OPTION...]
set -euo pipefail
sources=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
SOURCE_DATE_EPOCH=$(git -C "$sources" log -1 --format=%ct)
export SOURCE_DATE_EPOCH

for folder in first second-build; do
    mkdir -p "$work/$folder/talven"
    git -C "$sources" ls-files -z --cached --others --exclude-standard \
        | tar -C "$sources" --null -T - -cf - | tar -C "$work/$folder/talven" --touch -xf -
    (cd "$work/$folder/talven"
     cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF "$@" >/dev/null
     cmake --build build --parallel "$(nproc)" >/dev/null
     cd build && cpack -G DEB >/dev/null)
done
first=$(echo "$work"/first/talven/build/talven_*.deb)
second=$(echo "$work"/second-build/talven/build/talven_*.deb)
if ! cmp "$first" "$second"; then
    command -v diffoscope >/dev/null && diffoscope "$first" "$second" | head -n 60
    echo "FAIL: the two packages differ." >&2
    exit 1
fi
lintian --fail-on error,warning --display-info "$first" 2>&1 | grep -v 'root privileges'
echo "The package is made the same twice, and lintian finds no error and no warning in it."
