#!/usr/bin/env bash
# Benchmark of the archiver against xz and tar, on real Windows binaries (Wine's 32-bit
# DLLs): the first 100 MiB of them in name order, or all of them with --all. Both tools get
# the same bytes in the same run; the script prints ratios against them, not verdicts.
#   archive size       uha / (tar | xz -9e -T1)                 target <= 1.00
#   extraction time    uha x / (xz -dc -T1 | tar x)             target <= 0.60
#   extraction memory  peak resident size of uha x              target < 160 MiB
#   packing time       uha a / (tar | xz -9e -T1)               reported
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
all=0
[ "${1:-}" = "--all" ] && all=1

"$here/setup.sh" >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native --target uha >/dev/null
uha=$PWD/build/native/uha/uha
. "$here/bench-payload.sh"

work=$PWD/build/bench
rm -rf "$work"
if [ "$all" = 1 ]; then copy_dlls "$work/payload" all; else copy_dlls "$work/payload"; fi
total=$payload_bytes
files=$(find "$work/payload" -type f | wc -l)
echo "payload: $files files, $total bytes"
cd "$work"

seconds() { TIMEFORMAT=%R; { time "$@" >/dev/null 2>&1; } 2>&1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

xz_pack=$(seconds bash -c 'tar cf - -C payload . | xz -9e -T1 > payload.tar.xz')
uha_pack=$(seconds "$uha" a payload.uha -C payload .)
xz_size=$(stat -c %s payload.tar.xz)
uha_size=$(stat -c %s payload.uha)

xz_times=() uha_times=() peak=0
for round in 1 2 3; do
  rm -rf out && mkdir out
  xz_times+=("$(seconds bash -c 'xz -dc -T1 payload.tar.xz | tar xf - -C out')")
  rm -rf out
  /usr/bin/time -f '%e %M' -o uha.time "$uha" x -o+ -y+ -tout payload.uha >/dev/null
  read -r t kb <uha.time
  uha_times+=("$t")
  [ "$kb" -gt "$peak" ] && peak=$kb
done
diff -r payload out >/dev/null || { echo "bench: uha x did not restore the payload" >&2; exit 1; }
xz_x=$(median "${xz_times[@]}")
uha_x=$(median "${uha_times[@]}")

printf '%-20s %14s %14s %8s  %s\n' "" "uha" "xz (+tar)" "ratio" "target"
printf '%-20s %14s %14s %8s  %s\n' "archive bytes" "$uha_size" "$xz_size" "$(ratio "$uha_size" "$xz_size")" "<= 1.00"
printf '%-20s %14s %14s %8s  %s\n' "extraction s" "$uha_x" "$xz_x" "$(ratio "$uha_x" "$xz_x")" "<= 0.60 (median of 3, $(nproc) cores)"
printf '%-20s %14s %14s %8s  %s\n' "extraction MiB" "$((peak / 1024))" "-" "-" "< 160 (peak resident)"
printf '%-20s %14s %14s %8s  %s\n' "packing s" "$uha_pack" "$xz_pack" "$(ratio "$uha_pack" "$xz_pack")" "reported"
