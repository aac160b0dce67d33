#!/usr/bin/env bash
# Extraction onto a disk that fills up, with both builds: uha exits 1 with a line naming the
# file it could not write, and leaves neither that file nor a temporary one behind.
# Needs root for a small tmpfs; prints "SKIP" when it cannot mount one.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
work=$(mktemp -d)
disk="$work/disk"
mkdir -p "$disk" "$work/src"
trap 'umount "$disk" 2>/dev/null; rm -rf "$work"' EXIT
if ! mount -t tmpfs -o size=256k tmpfs "$disk" 2>/dev/null; then
  echo "SKIP full-disk (cannot mount a tmpfs here)"
  exit 0
fi
echo small >"$work/src/small.txt"
head -c 1000000 /dev/urandom >"$work/src/big.bin"
build/native/uha/uha a -m1 "$work/a.uha" -C "$work/src" . >/dev/null

check() {
  local name=$1; shift
  rm -rf "${disk:?}"/*
  local out code
  out=$("$@" x -o+ -y+ "-t$disk/out" "$work/a.uha")
  code=$?
  out=$(tr -d '\r' <<<"$out")
  if [ "$code" = 1 ] && grep -q '^Error: cannot write big.bin' <<<"$out" &&
     [ ! -e "$disk/out/big.bin" ] && [ -z "$(find "$disk" -name '*.tmp')" ]; then
    echo "PASS $name"
  else
    echo "FAIL $name (exit $code)"
    echo "$out" | tail -5
    find "$disk"
  fi
}

check full-disk-linux build/native/uha/uha
. scripts/wine-build.sh
if [ -n "$win_build" ]; then
  check full-disk-windows scripts/wine-run.sh "$win_build/uha/uha.exe"
else
  echo "SKIP full-disk-windows ($wine_why)"
fi
