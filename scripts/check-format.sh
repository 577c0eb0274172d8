#!/usr/bin/env bash
# Fails, naming the places, when a C or C++ file under src/, tests/, bench/ or
# fuzz/ is not as clang-format writes it (style in .clang-format). CTest runs
# it as format_check. With --fix it rewrites the files instead.
set -euo pipefail
cd "$(dirname "$0")/.."
CLANG_FORMAT=${CLANG_FORMAT:-clang-format}
mapfile -d '' files < <(find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) \
  -print0 | sort -z)
if [ "${1:-}" = "--fix" ]; then
  exec "$CLANG_FORMAT" -i "${files[@]}"
fi
echo "checking ${#files[@]} files"
exec "$CLANG_FORMAT" --dry-run -Werror "${files[@]}"
