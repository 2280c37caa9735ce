#!/usr/bin/env bash
# Checks that every C++ file of the project follows .clang-format. With --fix it formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."

format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
    echo "check-format: clang-format is not installed" >&2
    exit 1
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    "$format" -i "${files[@]}"
else
    "$format" --dry-run --Werror "${files[@]}"
fi
