#!/usr/bin/env bash
# Fails when a C++ file is not formatted by the committed .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
mal=0
while IFS= read -r -d '' f; do
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f"
        mal=1
    fi
done < <(git ls-files -z -- '*.cpp' '*.h')
exit $mal
