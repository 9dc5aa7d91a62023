#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The TALVEN developers
# SPDX-License-Identifier: GPL-3.0-or-later

# clang-format and clang-tidy over the project's own sources; any finding
# fails. Takes the build folder whose compile_commands.json clang-tidy reads.
#   scripts/check-style.sh BUILD_FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?the build folder}

sources=$(find app bench datecmd serial settings tests -name '*.cpp' -o -name '*.h' | sort)
clang-format --dry-run --Werror $sources
# clang-tidy reads the Linux build, so the Windows files are left to the cross build's warnings.
grep '\.cpp$' <<<"$sources" | grep -v '_windows\.cpp$' \
    | xargs -P "$(nproc)" -n1 clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-format and clang-tidy found nothing."
