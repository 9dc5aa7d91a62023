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
# Lintian's AppStream validation is overridden for the homepage TALVEN does
# not have (lintian-overrides); the same validation here lets nothing else by.
dpkg-deb -x "$first" "$work/installed"
"$sources/packaging/check-metadata.sh" "$work/installed"
# Lintian prints nothing for a clean package, or only what is for
# information; as root it also says that this is not recommended.
status=0
findings=$(lintian --fail-on error,warning --display-info "$first" 2>&1) || status=$?
[[ -z $findings ]] || sed '/root privileges/d' <<<"$findings"
if [[ $status -eq 2 ]]; then
    echo "FAIL: lintian finds an error or a warning in the package (above)." >&2
    exit 1
elif [[ $status -ne 0 ]]; then
    echo "FAIL: lintian could not check the package (status $status)." >&2
    exit 1
fi
echo "The package is made the same twice, and lintian finds no error and no warning in it."
