#!/bin/sh
# Runs a test program as the unprivileged user "nobody" when the tests run as
# root, for the faults root never meets: a device it may not open, a settings
# file it may not write. Exits 77 (skipped) when that cannot be done.
#   run-unprivileged.sh PROGRAM [ARGUMENTS]
[ "$(id -u)" = 0 ] || exit 77
command -v setpriv >/dev/null || exit 77
as_nobody="setpriv --reuid=nobody --regid=nogroup --clear-groups"
$as_nobody test -x "$1" || exit 77
cd /tmp && exec $as_nobody "$@"
