#!/usr/bin/env bash
# Sets up the machine, builds and runs every test: the native build, the native build under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the Windows build under Wine (its
# 64-bit test build under 64-bit Wine where 32-bit programs cannot run), then the shell checks.
# The last line sums them up: "N passed, M failed, K skipped".
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."

"$here/setup.sh" || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
jobs=$(nproc)

# ctest's summary: "NN% tests passed, F tests failed out of T".
count() {
  local log=$1 line total fails
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  fails=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

suite() {
  local preset=$1 log
  log=$(mktemp)
  echo "== $preset"
  if cmake --preset "$preset" >"$log" 2>&1 && cmake --build --preset "$preset" >>"$log" 2>&1; then
    ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log"
    count "$log"
  else
    tail -40 "$log"
    echo "== $preset: build failed"
    failed=$((failed + 1))
  fi
  rm -f "$log"
}

# The native suites read the Windows build's Setup.exe (the stub the installer builder stamps),
# so the Windows build comes first; its failure is counted once, by its suite below.
echo "== windows (build)"
log=$(mktemp)
windows_built=1
if ! { cmake --preset windows && cmake --build --preset windows; } >"$log" 2>&1; then
  tail -40 "$log"
  echo "== windows: build failed"
  windows_built=0
fi
rm -f "$log"

suite native
suite native-asan

# The Windows tests run under Wine. Where this machine cannot execute 32-bit Linux programs,
# and so no 32-bit Wine, the same tests run from the 64-bit test build under 64-bit Wine.
skipped=0
if why=$(SETUP_WINEARCH=win32 "$here/wine-usable.sh"); then
  export SETUP_WINEARCH=win32 WINEPREFIX=$PWD/build/windows/wineprefix
  "$here/wine-start.sh"
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  suite windows
  # What only a 32-bit program on 64-bit Windows meets: the 32-bit build's tests of 64-bit
  # products again, in a 64-bit prefix, where the system redirects it.
  if why64=$(SETUP_WINEARCH=wow64 "$here/wine-usable.sh"); then
    wineserver -k >/dev/null 2>&1 || true
    export SETUP_WINEARCH=wow64 WINEPREFIX=$PWD/build/windows/wineprefix64
    "$here/wine-start.sh"
    echo "== windows in a 64-bit prefix (SixtyFour)"
    log=$(mktemp)
    ctest --preset windows -R SixtyFour 2>&1 | tee "$log"
    count "$log"
    rm -f "$log"
  else
    echo "== windows in a 64-bit prefix: SKIPPED, 1 test program not run: $why64"
    skipped=$((skipped + 1))
  fi
elif SETUP_WINEARCH=win64 "$here/wine-usable.sh" >/dev/null; then
  echo "== windows: 32-bit Wine cannot run here ($why); the 64-bit test build runs its tests"
  export SETUP_WINEARCH=win64 WINEPREFIX=$PWD/build/windows64/wineprefix
  "$here/wine-start.sh"
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  [ "$windows_built" = 1 ] || failed=$((failed + 1))
  suite windows64
  echo "== windows in a 64-bit prefix: SKIPPED, 1 test program not run: 32-bit Wine cannot run" \
    "here, and the 64-bit test build is not redirected"
  skipped=$((skipped + 1))
else
  # The Windows build was made above; only running its tests is impossible here. Its tests
  # are listed by running them, so what is skipped is counted in test programs.
  skipped=$(find build/windows/tests -name '*_test.exe' | wc -l)
  echo "== windows: SKIPPED, $skipped test programs not run: $why"
  [ "$windows_built" = 1 ] || failed=$((failed + 1))
fi

# Shell checks that need both builds; each prints PASS, FAIL or SKIP lines.
for check in tests/source_rules.sh tests/cross_platform.sh tests/full_disk.sh tests/destination_links.sh tests/builder_check.sh tests/shipped_programs.sh; do
  echo "== $check"
  out=$(mktemp)
  "$check" | tee "$out"
  passed=$((passed + $(grep -c '^PASS ' "$out")))
  skipped=$((skipped + $(grep -c '^SKIP ' "$out")))
  failed=$((failed + $(grep -c '^FAIL ' "$out")))
  grep -qE '^(PASS|FAIL|SKIP) ' "$out" || failed=$((failed + 1))
  rm -f "$out"
done

# The fuzz targets, each for SETUP_FUZZ_SECONDS (default 30; 0 skips them): that each starts,
# loads its corpus and runs without a finding. The fuzz build compiles the libraries the
# targets use a second time, with clang and libFuzzer's instrumentation.
fuzz_seconds=${SETUP_FUZZ_SECONDS:-30}
echo "== scripts/fuzz.sh $fuzz_seconds"
out=$(mktemp)
if [ "$fuzz_seconds" = 0 ]; then
  echo "SKIP fuzz (SETUP_FUZZ_SECONDS=0)" | tee "$out"
else
  SETUP_FUZZ_NO_SETUP=1 "$here/fuzz.sh" "$fuzz_seconds" | tee "$out"
fi
passed=$((passed + $(grep -c '^PASS ' "$out")))
skipped=$((skipped + $(grep -c '^SKIP ' "$out")))
failed=$((failed + $(grep -c '^FAIL ' "$out")))
grep -qE '^(PASS|FAIL|SKIP) ' "$out" || failed=$((failed + 1))
rm -f "$out"

echo "$passed passed, $failed failed, ${skipped:-0} skipped"
[ "$failed" = 0 ]
