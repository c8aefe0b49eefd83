#!/usr/bin/env bash
# clang-format and clang-tidy over the project's own code.
#   scripts/lint.sh BUILD_DIR   check; fails on any finding
#   scripts/lint.sh --fix       rewrite the files in the clang-format style
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' | grep -v '^assets/tools/')

if [[ "${1:-}" == "--fix" ]]; then
    clang-format -i "${files[@]}"
    exit 0
fi
build=${1:-build}

echo "== clang-format"
clang-format --dry-run --Werror "${files[@]}"

echo "== clang-tidy"
mapfile -t sources < <(printf '%s\n' "${files[@]}" | grep '\.cpp$' | grep -v '^fuzz/')
printf '%s\n' "${sources[@]}" | xargs -P 2 -n 4 clang-tidy -p "$build" --quiet 2>/dev/null
echo "lint: clean"
