#!/usr/bin/env bash
# Benchmark of the installer builder against its baseline, in one run:
#   build time   mksetup build / uha a, on the same 100 MiB of Wine's 32-bit DLLs (the first by
#                name, as bench-uha.sh takes them), medians of 3 runs each, in alternation.
#                Target <= 1.02: the check, the digest and the stamping cost next to nothing.
#   check time   mksetup check of a script with 10,000 entries against a product folder,
#                median of 5 runs. Target under 0.2 s.
# Prints ratios and figures, not verdicts. The machine is shared: note its load (printed).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."

"$here/setup.sh" >/dev/null
for preset in windows native; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
uha=$PWD/build/native/uha/uha
mksetup=$PWD/build/native/mksetup/mksetup
. "$here/bench-payload.sh"

work=$PWD/build/bench-mksetup
rm -rf "$work"
copy_dlls "$work/payload"
total=$payload_bytes
cd "$work"
echo "payload: $(find payload -type f | wc -l) files, $total bytes; load: $(cut -d' ' -f1-3 /proc/loadavg)"

seconds() { TIMEFORMAT=%R; { time "$@" >/dev/null 2>&1; } 2>&1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '[I]\n1=Biblioteki 1.0\n2=Biblioteki\n' >payload.ini
uha_times=() build_times=()
for round in 1 2 3; do
  rm -f payload.uha && uha_times+=("$(seconds "$uha" a payload.uha -C payload .)")
  rm -rf dist && build_times+=("$(seconds "$mksetup" build payload.ini payload -o dist)")
done
cmp -s payload.uha dist/data.uha && same="the same bytes" || same="other bytes"
uha_t=$(median "${uha_times[@]}")
build_t=$(median "${build_times[@]}")

# 10,000 Start-menu entries, each naming a file of its own.
mkdir -p many
for i in $(seq 1 100); do : >"many/plik$i.txt"; done
{
  printf '[I]\n1=Wiele 1.0\n2=Wiele\n[M]\n0=10000\n'
  for i in $(seq 1 10000); do printf '%da=Skrót %d\n%db=plik%d.txt\n' "$i" "$i" "$i" $(((i % 100) + 1)); done
} >many.ini
check_times=()
for round in 1 2 3 4 5; do check_times+=("$(seconds "$mksetup" check many.ini many)"); done
check_t=$(median "${check_times[@]}")

printf '%-34s %10s %10s %8s  %s\n' "" "mksetup" "uha a" "ratio" "target"
printf '%-34s %10s %10s %8s  %s\n' "build, 100 MiB (median of 3)" "$build_t s" "$uha_t s" \
  "$(ratio "$build_t" "$uha_t")" "<= 1.02"
printf '%-34s %10s\n' "archive against uha a's" "$same"
printf '%-34s %10s %10s %8s  %s\n' "check, 10,000 entries (median of 5)" "$check_t s" "" "" "< 0.2 s"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
