#!/usr/bin/env bash
# clang-format and clang-tidy over the project's own sources; any finding
# fails. Takes the build folder whose compile_commands.json clang-tidy reads.
#   scripts/check-style.sh BUILD_FOLDER
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?the build folder}

git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror
git ls-files '*.cpp' | xargs -P "$(nproc)" -n1 clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-format and clang-tidy found nothing."
