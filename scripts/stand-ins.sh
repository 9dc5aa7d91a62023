# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Sourced by the checks that run one of scripts/ with stand-ins for the
# commands it calls: each stand-in goes into $stand_ins, which comes first on
# PATH, and everything goes into $work, which is removed on exit.
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
stand_ins=$work/bin
mkdir "$stand_ins"
export PATH=$stand_ins:$PATH
