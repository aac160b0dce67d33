#!/usr/bin/env bash
# Rules the sources keep, checked on the tree: every quoted include names its header from the
# tree's root ("platform/files.h"), and that header exists, so that no two folders' headers
# can be taken for one another. Prints one PASS or FAIL line.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bad=$(git ls-files '*.cpp' '*.h' '*.rc' | xargs grep -nE '^\s*#\s*include\s+"' |
  while IFS= read -r hit; do
    name=$(sed -E 's/.*#\s*include\s+"([^"]+)".*/\1/' <<<"$hit")
    case "$name" in
      paths/upcase_ranges.h | paths/cp1250_table.h) continue ;;  # made by the build
    esac
    if [[ "$name" != */* || ! -f "$name" ]]; then printf '%s\n' "$hit"; fi
  done)
if [ -z "$bad" ]; then
  echo "PASS includes-name-their-folder-from-the-root"
else
  printf '%s\n' "$bad" | head -20
  echo "FAIL includes-name-their-folder-from-the-root"
fi
