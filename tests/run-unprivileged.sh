#!/bin/sh
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a test program as "nobody" when the tests run as root, from a copy in
# a folder of its own, so that it runs wherever the build lies.
#   run-unprivileged.sh PROGRAM [ARGUMENTS]
set -e
[ "$(id -u)" = 0 ] || exec "$@"
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp "$1" "$copy/test" && chmod 755 "$copy" "$copy/test" && shift
cd /tmp && setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env \
    env QT_QPA_PLATFORM=offscreen "$copy/test" "$@"
