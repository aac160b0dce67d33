#!/usr/bin/env bash
# Benchmark of what a user downloads, against a peer installer system (NSIS, makensis), for two
# payloads: the sample product (resources/setup.ini and sample/ with Witaj.exe, as run.sh makes
# its installer) and the first 100 MiB of Wine's 32-bit DLLs (bench-payload.sh).
#   download size      ours (Setup.exe + its archive, from mksetup build) / the peer's
#                      installer (scripts/bench-size.nsi: solid LZMA, 64 MiB dictionary)
#   programs           the size of Setup.exe and of the uha.exe and Odinstaluj.exe it carries
#                      (mksetup inspect --save), and of Witaj.exe
#   install time       under 32-bit Wine, on the 100 MiB payload: the peer's silent install
#                      ("/S /D=<folder>") against our extraction phase (the carried uha.exe
#                      running "x -o+ -y+ -t<folder> data.uha", as Setup.exe runs it, its output
#                      read through a pipe), each into a fresh folder, SETUP_BENCH_RUNS times
#                      (default 5) in alternation, medians. Both are 32-bit programs: where
#                      32-bit Wine does not start, that part is skipped with the reason, and
#                      our extraction alone is timed with the 64-bit test build under 64-bit
#                      Wine, labelled as such (no peer figure to set it against).
# Prints figures and ratios, not verdicts. The machine may be shared: its load is printed.
# SETUP_BENCH_NO_SETUP=1 skips scripts/setup.sh (on a machine already set up).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
runs=${SETUP_BENCH_RUNS:-5}
[[ "$runs" =~ ^[1-9][0-9]*$ ]] || { echo "bench: SETUP_BENCH_RUNS is '$runs'; it must be a count" >&2; exit 2; }

[ "${SETUP_BENCH_NO_SETUP:-0}" = 1 ] || "$here/setup.sh" >/dev/null
command -v makensis >/dev/null || { echo "bench: makensis is missing (package nsis)" >&2; exit 1; }
# The Windows build first: its Setup.exe is the stub the Linux mksetup stamps.
cmake --preset windows >/dev/null
cmake --build --preset windows --target Setup Witaj uha >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native --target mksetup >/dev/null
mksetup=$PWD/build/native/mksetup/mksetup
# shellcheck source=bench-payload.sh source-path=SCRIPTDIR
. "$here/bench-payload.sh"

work=$PWD/build/bench-size
rm -rf "$work"
mkdir -p "$work/sample"
cp -r sample/product/. "$work/sample/"
cp build/windows/sample/Witaj.exe "$work/sample/"
copy_dlls "$work/dlls"
printf '[I]\n1=Biblioteki 1.0\n2=Biblioteki\n' >"$work/dlls.ini"
cp resources/setup.ini "$work/sample.ini"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores); peer: makensis $(makensis -VERSION)"

bytes() { stat -c %s "$1"; }
folder_bytes() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s + 0 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
# Every Wine prefix maps the root of the Linux file system to Z:.
win() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

# Both installers of one payload: ours in $work/<name>-ours (Setup.exe and the archive its
# script names), the peer's as $work/<name>-peer.exe.
build_both() {
  local name=$1
  "$mksetup" build "$work/$name.ini" "$work/$name" -o "$work/$name-ours" --quiet
  makensis -V1 "-DPAYLOAD=$work/$name" "-DOUTFILE=$work/$name-peer.exe" "$here/bench-size.nsi" >/dev/null
}

row() { printf '%-18s %12s %12s %12s %12s %8s\n' "$@"; }
row "" "Setup.exe" "archive" "ours" "peer" "ratio"
for name in sample dlls; do
  build_both "$name"
  setup=$(bytes "$work/$name-ours/Setup.exe")
  ours=$(folder_bytes "$work/$name-ours")
  peer=$(bytes "$work/$name-peer.exe")
  case $name in
    sample) label="sample product" ;;
    dlls) label="100 MiB of DLLs" ;;
  esac
  row "$label" "$setup" "$((ours - setup))" "$ours" "$peer" "$(ratio "$ours" "$peer")"
done
echo "payloads: sample product $(find "$work/sample" -type f | wc -l) files, $(folder_bytes "$work/sample") bytes;" \
  "DLLs $(find "$work/dlls" -type f | wc -l) files, $payload_bytes bytes"

# The programs: Setup.exe as the sample's installer has it, and what it carries.
"$mksetup" inspect "$work/sample-ours/Setup.exe" --save "$work/carried" >/dev/null
printf '%-18s %12s\n' "Setup.exe" "$(bytes "$work/sample-ours/Setup.exe")" \
  "  uha.exe" "$(bytes "$work/carried/uha.exe")" \
  "  Odinstaluj.exe" "$(bytes "$work/carried/Odinstaluj.exe")" \
  "Witaj.exe" "$(bytes build/windows/sample/Witaj.exe)"

# Our extraction phase: the extractor Setup.exe carries, on the archive mksetup wrote, with the
# command line Setup.exe gives it; its output read through a pipe, as the installer reads it.
extract_ours() {
  local uha=$1 target=$2
  "$here/wine-run.sh" "$uha" x -o+ -y+ "-t$(win "$target")" "$(win "$work/dlls-ours/data.uha")" | cat >/dev/null
}

if why=$(SETUP_WINEARCH=win32 "$here/wine-usable.sh"); then
  export SETUP_WINEARCH=win32 WINEPREFIX=$PWD/build/windows/wineprefix
  "$here/wine-start.sh"
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  ours_t=() peer_t=()
  for _ in $(seq 1 "$runs"); do
    rm -rf "$work/out-ours" "$work/out-peer"
    # The disk's writing-back of the last run would otherwise fall into the next one.
    sync
    t0=$(now)
    extract_ours "$work/carried/uha.exe" "$work/out-ours"
    ours_t+=("$(since "$t0")")
    sync
    t0=$(now)
    # /D= must be the last argument and is taken to the end of the line, unquoted: Wine would
    # quote a path with spaces, so the build folder must have none.
    "$here/wine-run.sh" "$work/dlls-peer.exe" /S "/D=$(win "$work/out-peer")"
    peer_t+=("$(since "$t0")")
  done
  diff -r "$work/dlls" "$work/out-ours" >/dev/null || { echo "bench: uha.exe did not unpack the payload" >&2; exit 1; }
  diff -r "$work/dlls" "$work/out-peer" >/dev/null || { echo "bench: the peer did not install the payload" >&2; exit 1; }
  o=$(median "${ours_t[@]}") p=$(median "${peer_t[@]}")
  printf '%-34s %10s %10s %8s\n' "" "ours" "peer" "ratio"
  printf '%-34s %10s %10s %8s\n' "install 100 MiB (median of $runs)" "$o s" "$p s" "$(ratio "$o" "$p")"
else
  echo "install time: skipped: 32-bit Wine cannot run the two 32-bit installers here: $why"
  if SETUP_WINEARCH=win64 "$here/wine-usable.sh" >/dev/null; then
    cmake --preset windows64 >/dev/null
    cmake --build --preset windows64 --target uha >/dev/null
    export SETUP_WINEARCH=win64 WINEPREFIX=$PWD/build/windows64/wineprefix
    "$here/wine-start.sh"
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    ours_t=()
    for _ in $(seq 1 "$runs"); do
      rm -rf "$work/out-ours"
      sync
      t0=$(now)
      extract_ours "$PWD/build/windows64/uha/uha.exe" "$work/out-ours"
      ours_t+=("$(since "$t0")")
    done
    diff -r "$work/dlls" "$work/out-ours" >/dev/null || { echo "bench: uha.exe did not unpack the payload" >&2; exit 1; }
    echo "our extraction alone, 64-bit test build's uha.exe under 64-bit Wine, 100 MiB" \
      "(median of $runs): $(median "${ours_t[@]}") s (no peer figure: not comparable)"
  fi
fi
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
