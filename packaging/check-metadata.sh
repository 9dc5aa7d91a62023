#!/bin/sh
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Validates the desktop entry, the AppStream metadata, or the metadata in an
# installed tree (with the desktop entry it names) as lintian does, with the
# release's own tools; any finding fails, but those named here, which are true
# of TALVEN: it has no homepage, and AppStream before 1.0 does not know the
# <developer> tag that 1.0 asks for.
#   check-metadata.sh FILE.desktop|FILE.metainfo.xml|FOLDER
set -eu
case $1 in
*.desktop) tool=desktop-file-validate allowed='^$' ;;
*) tool=appstreamcli allowed='url-homepage-missing'
   case $(appstreamcli --version 2>/dev/null) in
   *"version: 0."*) allowed="$allowed|unknown-tag developer" ;;
   esac ;;
esac
command -v "$tool" >/dev/null || { echo "$tool is missing: scripts/install-dependencies.sh test" >&2; exit 1; }
if [ "$tool" = appstreamcli ]; then
    validate=validate
    [ ! -d "$1" ] || validate=validate-tree
    output=$(appstreamcli $validate --no-net "$1" 2>&1) || true
    echo "$output"
    echo "$output" | grep -q 'Validation' || { echo "appstreamcli did not validate $1" >&2; exit 1; }
    findings=$(echo "$output" | sed -nE 's/^ *[EWIP]: [^:]*:[^:]*: //p')
else
    findings=$(desktop-file-validate "$1" 2>&1) || findings="${findings:-failed}"
fi
unexpected=$(echo "$findings" | grep -vxE "$allowed" || true)
[ -z "$unexpected" ] || { printf 'Findings in %s:\n%s\n' "$1" "$unexpected" >&2; exit 1; }
echo "$1: nothing found but what is true of TALVEN."
