#!/usr/bin/env bash
# Fuzzes every libFuzzer target of the fuzz build in turn: scripts/fuzz.sh [seconds] [target...]
# (default 300 s a target; all targets, as build/fuzz/fuzz_targets.tsv lists them, unless some
# are named). Each target starts from its seeds (the CORPUS of its setup_fuzz_target) and keeps
# what it finds new in build/fuzz/corpus/<target>; a crashing, leaking, hanging or exhausting
# input goes to build/fuzz/findings/<target>/, its output to build/fuzz/logs/<target>.log.
# Prints one line per target:
#   PASS <target>: <runs> runs in <s> s, cov: <n> ft: <n>, corpus <files> files, 0 findings
#   FAIL <target>: ... (a finding, or the target did not start and load its corpus)
# and exits non-zero when any target failed. SETUP_FUZZ_NO_SETUP=1 skips scripts/setup.sh (for
# a caller that has just run it, as scripts/test.sh has).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.." || exit 1
seconds=${1:-300}
shift || true
[ "${SETUP_FUZZ_NO_SETUP:-0}" = 1 ] || "$here/setup.sh" || exit 1
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$p"
done
build_log=$(mktemp)
if ! { cmake --preset fuzz && cmake --build --preset fuzz; } >"$build_log" 2>&1; then
  tail -40 "$build_log"
  rm -f "$build_log"
  echo "FAIL fuzz-build (the fuzz preset does not build)"
  exit 1
fi
rm -f "$build_log"

root=$PWD/build/fuzz
failed=0
found=0
while IFS=$'\t' read -r name binary seeds options; do
  [ -n "$name" ] || continue
  if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
  found=$((found + 1))
  corpus=$root/corpus/$name
  findings=$root/findings/$name
  log=$root/logs/$name.log
  mkdir -p "$corpus" "$findings" "$root/logs"
  stamp=$(mktemp)
  # shellcheck disable=SC2086 # the options are separate libFuzzer flags
  "$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$findings/" $options "$corpus" "$seeds" >"$log" 2>&1
  status=$?
  new=$(find "$findings" -type f -newer "$stamp" | wc -l)
  rm -f "$stamp"
  # libFuzzer's status lines: "#123 NEW    cov: 350 ft: 1200 corp: 45/6707b ...".
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  runs=$(sed -nE 's/^stat::number_of_executed_units: *([0-9]+).*/\1/p' "$log" | tail -1)
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
  files=$(find "$corpus" -type f | wc -l)
  took=$(sed -nE 's/^Done [0-9]+ runs in ([0-9]+) second.*/\1/p' "$log" | tail -1)
  summary="${runs:-0} runs in ${took:-?} s, cov: ${cov:-?} ft: ${ft:-?}, corpus $files files, $new findings"
  if [ "$new" -gt 0 ] || { [ "$status" != 0 ] && grep -q INITED "$log"; }; then
    echo "FAIL $name: $summary, exit status $status (see $log and $findings)"
    grep -E '^(==[0-9]+==ERROR|SUMMARY|    #[0-9]+ )' "$log" | head -20
    failed=$((failed + 1))
  elif ! grep -q INITED "$log"; then
    echo "FAIL $name: did not start and load its corpus, exit status $status (see $log)"
    tail -20 "$log"
    failed=$((failed + 1))
  else
    echo "PASS $name: $summary"
  fi
done <"$root/fuzz_targets.tsv"

if [ "$found" = 0 ]; then
  echo "FAIL fuzz: no target matches '$*' in $root/fuzz_targets.tsv"
  exit 1
fi
[ "$failed" = 0 ]
