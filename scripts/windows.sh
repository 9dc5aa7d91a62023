#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Builds TALVEN for 64-bit Windows on Debian 12, makes its installer and its
# portable ZIP, and tests both under Wine. The first run also builds Qt for
# Windows into ~/.cache/talven; later runs reuse it.
#   scripts/windows.sh
# TALVEN_QTSERIALPORT   where qtserialport's git tag is cloned from (default
#                       Qt's git server; a folder or a git bundle will do)
# TALVEN_SIGN_PKCS12    a code-signing certificate (PKCS#12) to sign talven.exe
#                       and the installer with; unsigned without one
# TALVEN_SIGN_PASSWORD  its password
# TALVEN_SIGN_TIMESTAMP an RFC 3161 time-stamp server, if any
set -euo pipefail
cd "$(dirname "$0")/.."
# Qt for Windows is built with a host Qt of its own version, Debian 12's 6.4.2.
host=$(. /etc/os-release && echo "${ID:-} ${VERSION_ID:-} ${PRETTY_NAME:-}")
if [[ $host != "debian 12 "* ]]; then
    echo "scripts/windows.sh needs a Debian 12 (bookworm) host, whose Qt 6.4.2 builds Qt for Windows; this is ${host#* * }." >&2
    exit 1
fi
scripts/install-dependencies.sh windows

qt=$(scripts/windows/build-qt.sh)
cmake -S . -B build-windows -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALVEN_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
cmake --build build-windows
# The same source makes the same talven.exe wherever it is checked out: a
# copy of it in a folder of its own, as a later clone would be, builds it
# again against the same Qt, which names no checkout.
again=$(mktemp -d)
trap 'rm -rf "$again"' EXIT
git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -C "$again" -xf -
cmake -S "$again" -B "$again/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" >/dev/null
cmake --build "$again/build" --target talven >/dev/null
cmp build-windows/talven.exe "$again/build/talven.exe" \
    || { echo "talven.exe differs between two checkouts of the same source." >&2; exit 1; }
echo "talven.exe is the same file when built twice, in two checkouts."
# The LGPL asks that Qt's sources go with it: they are left beside the installer.
cp "$qt"/Qt-*-sources.tar build-windows/
if [[ -n ${TALVEN_SIGN_PKCS12:-} ]]; then
    echo "Signing talven.exe and the installer with $TALVEN_SIGN_PKCS12."
else
    echo "Not signing: TALVEN_SIGN_PKCS12 names no code-signing certificate."
fi
(cd build-windows && cpack)
ctest --test-dir build-windows --output-on-failure
