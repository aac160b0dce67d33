#!/usr/bin/env bash
# Benchmark of the installer's extractor runner, under Wine: unpacking through Setup.exe
# (the wizard confirmed, the runner reading uha.exe's output into the progress page) against
# running the same "uha.exe x -o+ -y+" directly with its output read through a pipe, on the
# same archive in the same run; each three times in turn, the medians shown.
# Payloads: the first 100 MiB of Wine's 32-bit DLLs (scripts/bench-uha.sh's), and 20,000
# small files. Prints the ratios (target: at most 1.05). A third column shows the same command
# with its output on a Windows pipe that a minimal reader empties as fast as it can: under Wine
# such a pipe costs more than the shell's pipe, and the runner cannot do better than it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
"$here/setup.sh" >/dev/null
cmake --preset native >/dev/null && cmake --build --preset native --target uha >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows --target Setup install_timer pipe_reader uha >/dev/null
export WINEPREFIX=$PWD/build/windows/wineprefix
"$here/wine-start.sh"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

work=$PWD/build/bench-runner
rm -rf "$work"
mkdir -p "$work/dlls" "$work/small"
. "$here/bench-payload.sh"
copy_dlls "$work/dlls"
python3 - "$work/small" <<'PY'
import os, sys
root = sys.argv[1]
for i in range(20000):
    d = os.path.join(root, "katalog%03d" % (i // 200))
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "plik%05d.txt" % i), "w") as f:
        f.write("wiersz %d\n" % i * (1 + i % 7))
PY

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Each of the three ways three times, in turn, each time into a fresh folder; the medians.
run() {
  local name=$1 dir=$2 rep t0 t1
  local -a direct=() winpipe=() setup=()
  mkdir -p "$work/$name-installer"
  build/native/uha/uha a "$work/$name-installer/data.uha" -C "$dir" . >/dev/null
  cp build/windows/app/Setup.exe "$work/$name-installer/"
  for rep in 1 2 3; do
    rm -rf "$work/$name-direct" "$work/$name-pipe" "$work/$name-setup"
    # The disk's writing-back of the last run would otherwise fall into the next one.
    sync
    t0=$(date +%s.%N)
    # Its output read through a pipe, as the installer reads it.
    "$here/wine-run.sh" build/windows/uha/uha.exe x -o+ -y+ "-t$work/$name-direct" "$work/$name-installer/data.uha" | cat >/dev/null
    t1=$(date +%s.%N)
    direct+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')")
    sync
    winpipe+=("$("$here/wine-run.sh" build/windows/tests/tools/pipe_reader.exe \
      "Z:${PWD//\//\\}\\build\\windows\\uha\\uha.exe x -o+ -y+ \"-tZ:${work//\//\\}\\$name-pipe\" \"Z:${work//\//\\}\\$name-installer\\data.uha\"" | tr -d '\r')")
    sync
    # (Wine notes the wizard's drive list asking for a label it may not read; left out.)
    setup+=("$("$here/wine-run.sh" build/windows/tests/tools/install_timer.exe "$work/$name-installer/Setup.exe" \
      "Z:${work//\//\\}\\$name-setup" 2> >(grep -v 'FS volume label' >&2) | tr -d '\r')")
    # Setup.exe goes on after the extraction: its uninstaller and record lie beside the files.
    diff -r -x Odinstaluj.exe -x uninstal.ini "$dir" "$work/$name-setup" >/dev/null ||
      { echo "bench: $name: Setup.exe did not unpack everything" >&2; exit 1; }
  done
  local s d w
  s=$(median "${setup[@]}") d=$(median "${direct[@]}") w=$(median "${winpipe[@]}")
  printf '%-22s %10s %10s %8s %12s %8s\n' "$name" "$s" "$d" \
    "$(awk -v a="$s" -v b="$d" 'BEGIN { printf "%.3f", a / b }')" "$w" \
    "$(awk -v a="$s" -v b="$w" 'BEGIN { printf "%.3f", a / b }')"
}

printf '%-22s %10s %10s %8s %12s %8s\n' "" "Setup s" "uha x s" "ratio" "win pipe s" "ratio"
run "100 MiB of DLLs" "$work/dlls"
run "20,000 small files" "$work/small"
echo "target: ratio at most 1.05"
