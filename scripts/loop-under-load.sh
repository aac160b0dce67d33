#!/usr/bin/env bash
# Runs a command N times while the machine is busy, and counts how often it fails: for tests
# that fail now and then. The load is a clean rebuild of the native tree in a loop (ccache
# off), the kind of work a CI machine runs beside the tests.
#   scripts/loop-under-load.sh N command...     e.g.
#   scripts/loop-under-load.sh 50 ctest --test-dir build/windows -R '^Uninstaller\.'
# Prints one line per failed run (its log kept in /tmp) and "N runs, F failed" at the end.
# With LOAD=0 it runs without the load.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
runs=$1; shift
loaddir=$(mktemp -d)
load_pid=
if [ "${LOAD:-1}" != 0 ]; then
  cmake -S . -B "$loaddir" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null 2>&1
  ( while :; do CCACHE_DISABLE=1 cmake --build "$loaddir" --clean-first -j2 >/dev/null 2>&1; done ) &
  load_pid=$!
fi
stop() {
  [ -n "$load_pid" ] && { pkill -P "$load_pid" 2>/dev/null; kill "$load_pid" 2>/dev/null; }
  wait 2>/dev/null
  rm -rf "$loaddir"
}
trap stop EXIT
sleep "${LOAD_WARMUP:-20}"
failed=0
for i in $(seq "$runs"); do
  log=$(mktemp /tmp/loop-run-XXXXXX.log)
  if "$@" >"$log" 2>&1; then rm -f "$log"; else
    failed=$((failed + 1))
    echo "run $i failed ($(uptime | sed 's/.*load average: //')): $log"
  fi
done
echo "$runs runs, $failed failed (load average at the end: $(uptime | sed 's/.*load average: //'))"
