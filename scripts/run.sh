#!/usr/bin/env bash
# The main job: sets up, builds both builds, packs the sample product with the archiver and
# unpacks it with the Windows build under Wine, exactly as the installer will run it, then
# checks that every file came back byte for byte.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."

"$here/setup.sh"
for preset in native windows; do
  echo "== building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" | tail -1
done

work=build/sample
rm -rf "$work"
mkdir -p "$work"
echo "== packing sample/product with uha (Linux build)"
build/native/uha/uha a "$work/data.uha" sample/product
build/native/uha/uha l "$work/data.uha"

echo "== unpacking with uha.exe under Wine (its output is OEM code page 852, shown as UTF-8)"
export WINEPREFIX=$PWD/build/windows/wineprefix
"$here/wine-start.sh"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
target="$work/Program Files/Przykład"
# The installer's command line: "{uha.exe}" x -o+ -y+ -t"{target}" "{archive}"
"$here/wine-run.sh" build/windows/uha/uha.exe x -o+ -y+ "-t$target" "$work/data.uha" |
  iconv -f cp852 -t utf-8 | tr -d '\r'

echo "== comparing"
diff -r sample/product "$target" && echo "all $(find sample/product -type f | wc -l) files unpacked byte for byte into $target"

# Setup.exe carries the sample script (resources/setup.ini) and uha.exe; the archive lies
# beside it, as a user gets them. Wine runs it without a display, so a small driver of ours
# reports its window (texts in CP1250, shown as UTF-8) and closes it.
installer="$work/installer"
mkdir -p "$installer"
cp build/windows/app/Setup.exe "$work/data.uha" "$installer/"
show() { "$here/wine-run.sh" build/windows/tests/tools/show_window.exe "$1" | iconv -f cp1250 -t utf-8 | tr -d '\r'; }
echo "== starting $installer/Setup.exe under Wine"
show "$installer/Setup.exe"
echo "== the same without the archive beside it"
rm "$installer/data.uha"
show "$installer/Setup.exe"
