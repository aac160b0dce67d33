#!/usr/bin/env bash
# Packing time, size and memory of the archiver against `tar | xz -T1` at the same level, on
# the payloads a product carries: random bytes (what compressed media looks like to a coder),
# text, Windows DLLs, and a mixed product of all three. Each pair runs ROUNDS times in
# alternation (xz, then uha); the figures are medians. It prints ratios, not verdicts.
#   scripts/bench-uha-packing.sh [payload...]     payloads: random text dlls mixed (default all)
#   ROUNDS=3                                     runs of each tool per payload and level
#   BASELINE=/path/to/an/earlier/uha             also runs that build, for size and time ratios
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
rounds=${ROUNDS:-3}
baseline=${BASELINE:-}
payloads=("$@")
[ ${#payloads[@]} -gt 0 ] || payloads=(random text dlls mixed)

"$here/setup.sh" >/dev/null
cmake --preset native >/dev/null
cmake --build --preset native --target uha >/dev/null
uha=$PWD/build/native/uha/uha
. "$here/bench-payload.sh"

work=$PWD/build/bench-packing
rm -rf "$work"
mkdir -p "$work"
cd "$work"

# The first `limit` bytes of C headers, as files (one of names that differ only in case,
# which Windows takes for one).
copy_text() {
  local dest=$1 limit=$2 total=0 file size name
  mkdir -p "$dest"
  declare -A taken=()
  while IFS= read -r file; do
    name=$(echo "${file#/usr/include/}" | tr / _)
    [ -n "${taken[${name,,}]:-}" ] && continue
    taken[${name,,}]=1
    size=$(stat -c %s "$file")
    [ $((total + size)) -gt "$limit" ] && break
    cp "$file" "$dest/$name"
    total=$((total + size))
  done < <(find /usr/include -type f -name '*.h' | LC_ALL=C sort)
}
make_payload() {
  case $1 in
    random) mkdir -p random && head -c 16000000 /dev/urandom >random/media.bin ;;
    text) copy_text text $((7 * 1000 * 1000)) ;;
    dlls) copy_dlls dlls ;;
    mixed)
      copy_dlls mixed/bin
      mkdir -p mixed/media && head -c 80000000 /dev/urandom >mixed/media/film.bin
      copy_text mixed/doc $((20 * 1000 * 1000)) ;;
  esac
}

# Runs a command; prints "seconds peak-KiB".
measure() {
  /usr/bin/time -f '%e %M' -o run.time "$@" >/dev/null 2>&1 || {
    echo "bench: failed: $*" >&2
    exit 1
  }
  cat run.time
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

echo "machine: $(nproc) cores; load at start: $(cut -d' ' -f1-3 /proc/loadavg); rounds: $rounds"
printf '%-7s %-4s %9s %9s %7s %12s %12s %8s %9s' payload lvl "uha s" "xz s" ratio "uha bytes" \
  "xz bytes" "bytes" "uha MiB"
[ -n "$baseline" ] && printf ' %9s %8s %8s %8s' "base s" "vs base" "bytes" "base MiB"
echo
for payload in "${payloads[@]}"; do
  make_payload "$payload"
  for level in 9e 1; do
    xz_times=() uha_times=() base_times=() peak=0 base_peak=0
    for ((round = 1; round <= rounds; round++)); do
      read -r t _ < <(measure bash -c "tar cf - -C $payload . | xz -$level -T1 >x.tar.xz")
      xz_times+=("$t")
      rm -f u.uha
      read -r t kb < <(measure "$uha" a -m"$level" u.uha -C "$payload" .)
      uha_times+=("$t")
      [ "$kb" -gt "$peak" ] && peak=$kb
      if [ -n "$baseline" ]; then
        rm -f b.uha
        read -r t kb < <(measure "$baseline" a -m"$level" b.uha -C "$payload" .)
        base_times+=("$t")
        [ "$kb" -gt "$base_peak" ] && base_peak=$kb
      fi
    done
    rm -rf out && "$uha" x -o+ -y+ -tout u.uha >/dev/null
    diff -r "$payload" out >/dev/null || { echo "bench: $payload did not come back" >&2; exit 1; }
    xz_s=$(median "${xz_times[@]}") uha_s=$(median "${uha_times[@]}")
    xz_b=$(stat -c %s x.tar.xz) uha_b=$(stat -c %s u.uha)
    printf '%-7s %-4s %9s %9s %7s %12s %12s %8s %9s' "$payload" "-$level" "$uha_s" "$xz_s" \
      "$(ratio "$uha_s" "$xz_s")" "$uha_b" "$xz_b" "$(ratio "$uha_b" "$xz_b")" "$((peak / 1024))"
    if [ -n "$baseline" ]; then
      base_s=$(median "${base_times[@]}")
      printf ' %9s %8s %8s %8s' "$base_s" "$(ratio "$uha_s" "$base_s")" \
        "$(ratio "$uha_b" "$(stat -c %s b.uha)")" "$((base_peak / 1024))"
    fi
    echo
  done
  rm -rf "$payload" out
done
echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)"
