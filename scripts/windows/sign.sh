#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# Signs a Windows program file in place (Authenticode, SHA-256) with the
# code-signing certificate in the PKCS#12 file TALVEN_SIGN_PKCS12, opened with
# TALVEN_SIGN_PASSWORD, and time-stamps it at the RFC 3161 server
# TALVEN_SIGN_TIMESTAMP when that is named.
#   sign.sh FILE
set -euo pipefail
file=${1:?the file to sign}
stamp=()
[[ -z ${TALVEN_SIGN_TIMESTAMP:-} ]] || stamp=(-ts "$TALVEN_SIGN_TIMESTAMP")
rm -f "$file.signed"
osslsigncode sign -pkcs12 "${TALVEN_SIGN_PKCS12:?names no certificate}" \
    -readpass <(printf %s "${TALVEN_SIGN_PASSWORD:-}") -h sha256 \
    -n "GPS Date Initialization" "${stamp[@]}" -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
echo "Signed $file"
