#!/usr/bin/env bash
# Fuzzes the archive reader with libFuzzer for a set time (default 300 s): scripts/fuzz.sh [seconds]
# Starts from the seed archives in uha/fuzz/corpus; what it finds new goes to build/fuzz/corpus,
# a crashing input to build/fuzz/crash-*. Not part of the test run.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
seconds=${1:-300}
"$here/setup.sh"
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null | grep -qx installed ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$p"
done
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus
cd build/fuzz
./uha/uha_fuzz_reader -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 \
  -artifact_prefix="$PWD/" corpus "$here/../uha/fuzz/corpus"
