#!/usr/bin/env bash
# An archive made by one build extracts on the other with the same names and bytes: the
# sample product's Polish names go through CP1250 on the Windows side and UTF-8 on Linux.
# Needs both builds; prints one "PASS name" or "FAIL name" line per check.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
native=build/native/uha/uha
. scripts/wine-build.sh
windows="scripts/wine-run.sh $win_build/uha/uha.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {
  local name=$1 packer=$2 extractor=$3
  local dir="$work/$name"
  mkdir -p "$dir"
  if $packer a -m1 "$dir/a.uha" -C sample/product . >"$dir/pack.log" 2>&1 &&
     $extractor x "-t$dir/out" "$dir/a.uha" >"$dir/extract.log" 2>&1 &&
     diff -r sample/product "$dir/out" >"$dir/diff.log" 2>&1; then
    echo "PASS $name"
  else
    echo "FAIL $name"
    cat "$dir/pack.log" "$dir/extract.log" "$dir/diff.log" 2>/dev/null | tail -20
  fi
}

if [ -z "$win_build" ]; then
  echo "SKIP linux-to-windows ($wine_why)"
  echo "SKIP windows-to-linux ($wine_why)"
  exit 0
fi
check linux-to-windows "$native" "$windows"
check windows-to-linux "$windows" "$native"
