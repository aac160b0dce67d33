#!/usr/bin/env bash
# The main job: sets up, builds both builds, packs the sample product with the archiver and
# unpacks it with the Windows build under Wine, exactly as the installer runs it, checking
# every file byte for byte; then installs the sample product with Setup.exe under Wine,
# driving its wizard from a small program of ours, shows what the installation made, and
# removes it again with the uninstaller it registered.
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
echo "== packing sample/product and its program Witaj.exe with uha (Linux build)"
build/native/uha/uha a "$work/data.uha" sample/product build/windows/sample/Witaj.exe
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
diff -r sample/product "$target" -x Witaj.exe && cmp "$target/Witaj.exe" build/windows/sample/Witaj.exe &&
  echo "all $(find "$target" -type f | wc -l) files unpacked byte for byte into $target"

# Setup.exe carries the sample script (resources/setup.ini) and uha.exe; the archive lies
# beside it, as a user gets them. Wine runs it without a display, so a small driver of ours
# reports its window (texts in CP1250, shown as UTF-8) and closes it.
installer="$work/installer"
mkdir -p "$installer"
cp build/windows/app/Setup.exe "$work/data.uha" "$installer/"
show() { "$here/wine-run.sh" build/windows/tests/tools/show_window.exe "$1" | iconv -f cp1250 -t utf-8 | tr -d '\r'; }
echo "== starting $installer/Setup.exe under Wine"
show "$installer/Setup.exe"

# A whole installation. The sample program, started after it, notes how it was started in
# the file PRZYKLAD_DZIENNIK names instead of greeting a user who is not there.
# Wine notes on its error stream each time the wizard's drive list asks for the label of a
# drive it may not read; that note is left out.
tool() {
  "$here/wine-run.sh" build/windows/tests/tools/sample_installation.exe "$@" 2> >(grep -v 'FS volume label' >&2) |
    iconv -f cp1250 -t utf-8 | tr -d '\r'
}
rm -rf "$work/Programy"
mkdir -p "$work/Programy"
wtarget="$(winepath -w "$PWD/$work/Programy")\\Przykładowy Program"
export PRZYKLAD_DZIENNIK
PRZYKLAD_DZIENNIK="$(winepath -w "$PWD/$work")\\uruchomienia.txt"
rm -f "$work/uruchomienia.txt"
echo "== installing the sample product with $installer/Setup.exe into $wtarget"
tool install "$(winepath -w "$PWD/$installer/Setup.exe")" "$wtarget" "Przykładowy Program"
echo "== what the installation made"
tool show "$wtarget"
echo "== the programs it started (command line, current folder)"
iconv -f cp1250 -t utf-8 "$work/uruchomienia.txt" | tr -d '\r' | tr '\t' ' '
echo "== removing it with its uninstaller"
tool uninstall "$wtarget"
[ ! -e "$work/Programy/Przykładowy Program" ] && echo "the target folder is gone"

echo "== the installer without the archive beside it"
rm "$installer/data.uha"
show "$installer/Setup.exe"
