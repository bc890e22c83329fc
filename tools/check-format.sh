#!/usr/bin/env bash
# Fails when a C++ file of the tree differs from what .clang-format makes of it, and names each such file.
# Run by .ci/run with the clang-format of this machine's Debian release (tools/setup.sh installs it); a newer
# release may format differently, so `make test` does not run it.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format}
command -v "$clang_format" >/dev/null || { echo "check-format: $clang_format is missing (tools/setup.sh)" >&2; exit 1; }

differ=()
while IFS= read -r -d '' file; do
  "$clang_format" --dry-run --Werror "$file" >/dev/null 2>&1 || differ+=("$file")
done < <(git ls-files -z -- '*.cpp' '*.h')

if [ ${#differ[@]} -gt 0 ]; then
  echo "check-format: ${#differ[@]} files differ from .clang-format (fix with: $clang_format -i FILE)" >&2
  printf '  %s\n' "${differ[@]}" >&2
  exit 1
fi
echo "check-format: $(git ls-files -- '*.cpp' '*.h' | wc -l) files follow .clang-format ($("$clang_format" --version))"
