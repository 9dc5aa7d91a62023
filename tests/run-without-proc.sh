#!/bin/sh
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Runs a test program where /proc is not mounted, as in a bare chroot or a
# minimal container: in a mount namespace of its own, with an empty tmpfs
# over /proc, made private first so that nothing outside sees it (in a
# chroot, whose / is no mount, unshare cannot make all mounts private).
# Another user than root gets a user namespace for it, where the system
# gives one (a chroot gives none): otherwise the run is left to root.
#   run-without-proc.sh PROGRAM [ARGUMENTS]
set -e
if [ "$(id -u)" != 0 ]; then
    userns=--map-root-user
    unshare --user --map-root-user true 2>/dev/null || {
        echo "Left to a run as root: $(basename "$1") without /proc (no user namespace here)"
        exit 0
    }
fi
exec unshare --mount --propagation unchanged $userns \
    sh -c 'mount --make-rprivate /proc && mount -t tmpfs tmpfs /proc && exec "$@"' sh "$@"
