#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
[ -n "$files" ] || exit 0
bad=$(echo "$files" | xargs clang-format --dry-run 2>&1 | grep -c 'warning:' || true)
if [ "$bad" != "0" ]; then
  echo "clang-format: $bad places differ; run: git ls-files '*.cpp' '*.h' | xargs clang-format -i"
  echo "$files" | xargs clang-format --dry-run 2>&1 | grep 'warning:' | head -20
  exit 1
fi
