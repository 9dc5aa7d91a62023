#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# What scripts/install-dependencies.sh takes for missing on a machine with a
# second architecture (arm64 beside amd64, for the cross build): a package
# counts only when this machine's own is installed. dpkg, dpkg-query, apt-get
# and id are stand-ins here, for an amd64 machine run as root.
set -euo pipefail
source "$(dirname "$0")/stand-ins.sh"
cd "$stand_ins"
printf '#!/bin/sh\necho 0\n' >id
printf '#!/bin/sh\necho amd64\n' >dpkg
printf '#!/bin/sh\n[ "$1" = update ] || echo "$*" >>"$INSTALLED"\n' >apt-get
cat >dpkg-query <<'END'
#!/bin/sh
# -W -f=FORMAT NAME: FORMAT for each architecture of NAME that $HAS lists.
awk -v name="$3" '$1 == name { print $2 }' "$HAS" | while read -r arch; do
    printf '%b' "$(printf '%s' "${2#-f=}" \
        | sed -e "s/\${Architecture}/$arch/" -e 's/\${Status}/install ok installed/')"
done
END
chmod +x ./*
export HAS=$work/has INSTALLED=$work/installed

# "row|what the machine has of qt6-base-dev|what must be installed for it"
rows=(
    "amd64 and arm64|amd64 arm64|"
    "amd64 only|amd64|"
    "arm64 only|arm64|qt6-base-dev"
    "none||qt6-base-dev"
)
for row in "${rows[@]}"; do
    IFS='|' read -r name architectures expected <<<"$row"
    printf '%s all\n' cmake g++ make qt6-serialport-dev qt6-qpa-plugins fonts-liberation \
        fonts-liberation2 >"$HAS"
    for arch in $architectures; do echo "qt6-base-dev $arch" >>"$HAS"; done
    rm -f "$INSTALLED"
    "$scripts/install-dependencies.sh" run >/dev/null || fail "$name: the script failed"
    installed=$(cat "$INSTALLED" 2>/dev/null || true)
    [[ $installed == "${expected:+install -y -qq $expected}" ]] \
        || fail "$name: installed \"$installed\", where ${expected:-nothing} was missing"
done
echo "Each package counted as installed only when this machine's own was."
