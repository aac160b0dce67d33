#!/usr/bin/env bash
# Links in the way of an extraction, with both builds: a destination that is a link, a folder
# inside the destination that is one, and a file to be replaced that is one. uha exits 1 with
# a line saying so and writes nothing where the link leads. Under Wine the links are Unix
# symbolic links, which Wine shows as reparse points (a Windows program there cannot make one).
# Prints one "PASS name" or "FAIL name" line per check.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/sub"
echo planted >"$work/src/sub/file.txt"
build/native/uha/uha a -m1 "$work/a.uha" -C "$work/src" . >/dev/null

# check NAME WHAT-THE-LINE-SAYS (an extended regex) SETUP-FUNCTION PROGRAM...
check() {
  local name=$1 says=$2 setup=$3; shift 3
  rm -rf "$work/t"
  mkdir -p "$work/t/outside"
  echo mine >"$work/t/outside/file.txt"
  "$setup"
  local out code
  out=$("$@" x -o+ -y+ "-t$work/t/dest" "$work/a.uha")
  code=$?
  out=$(tr -d '\r' <<<"$out")
  if [ "$code" = 1 ] && grep -Eq "^Error: .*($says)" <<<"$out" &&
     [ "$(ls "$work/t/outside")" = file.txt ] && [ "$(cat "$work/t/outside/file.txt")" = mine ]; then
    echo "PASS $name"
  else
    echo "FAIL $name (exit $code)"
    echo "$out" | tail -3
    find "$work/t"
  fi
}

destination_is_link() { ln -s outside "$work/t/dest"; }
folder_is_link() { mkdir "$work/t/dest" && ln -s ../outside "$work/t/dest/sub"; }
file_is_link() { mkdir -p "$work/t/dest/sub" && ln -s ../../outside/file.txt "$work/t/dest/sub/file.txt"; }

run_all() {
  local system=$1; shift
  check "link-destination-$system" "destination is a" destination_is_link "$@"
  check "link-folder-$system" "sub: a file stands there" folder_is_link "$@"
  check "link-file-$system" "a folder or special file stands there" file_is_link "$@"
}

run_all linux build/native/uha/uha
. scripts/wine-build.sh
if [ -n "$win_build" ]; then
  run_all windows scripts/wine-run.sh "$win_build/uha/uha.exe"
else
  echo "SKIP links-windows ($wine_why)"
fi
