#!/usr/bin/env bash
# Extraction onto a small disk, with both builds. An archive larger than the free space is
# refused before anything is written: exit status 3 and the line "uha: not enough space: N
# bytes needed, M bytes free". One that fits by the count (a replaced file counts as freeing
# its size) but fills the disk while a file is written: exit 1 with a line naming that file,
# the file it was to replace left as it was, and no temporary file behind.
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
head -c 200000 /dev/urandom >"$work/src/big.bin"
build/native/uha/uha a -m1 "$work/b.uha" -C "$work/src" . >/dev/null
head -c 150000 /dev/urandom >"$work/old.bin"

check() {
  local name=$1; shift
  rm -rf "${disk:?}"/*
  local out code
  out=$("$@" x -o+ -y+ "-t$disk/out" "$work/a.uha")
  code=$?
  out=$(tr -d '\r' <<<"$out")
  if [ "$code" = 3 ] && grep -Eq '^uha: not enough space: 1000006 bytes needed, [0-9]+ bytes free$' <<<"$out" &&
     [ -z "$(find "$disk" -type f)" ]; then
    echo "PASS $name-refused"
  else
    echo "FAIL $name-refused (exit $code)"
    echo "$out" | tail -5
    find "$disk"
  fi

  rm -rf "${disk:?}"/*
  mkdir -p "$disk/out"
  cp "$work/old.bin" "$disk/out/big.bin"
  out=$("$@" x -o+ -y+ "-t$disk/out" "$work/b.uha")
  code=$?
  out=$(tr -d '\r' <<<"$out")
  if [ "$code" = 1 ] && grep -q '^Error: cannot write big.bin' <<<"$out" &&
     cmp -s "$work/old.bin" "$disk/out/big.bin" && [ -z "$(find "$disk" -name '*.tmp')" ]; then
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
