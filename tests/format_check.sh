#!/usr/bin/env bash
# The house style: every C++ source of the project as .clang-format has it.
# Usage: format_check.sh SOURCE_DIR
set -euo pipefail
src=$(cd "${1:?usage: format_check.sh SOURCE_DIR}" && pwd)
command -v clang-format >/dev/null || { echo "FAIL: clang-format is not installed (scripts/install-deps test installs it)"; exit 1; }
cd "$src"
mapfile -d '' files < <(find src tests tools bench fuzz -path fuzz/corpus -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0)
if ! clang-format --dry-run --Werror "${files[@]}" 2>"${TMPDIR:-/tmp}/format_check.$$"; then
    grep -E '^[^ ].*(warning|error):' "${TMPDIR:-/tmp}/format_check.$$" | head -20
    rm -f "${TMPDIR:-/tmp}/format_check.$$"
    echo "FAIL: run clang-format -i on the files above"
    exit 1
fi
rm -f "${TMPDIR:-/tmp}/format_check.$$"
echo "PASS: ${#files[@]} files in the house style"
