#!/usr/bin/env bash
# The main job: sets up, builds both builds, and makes the sample product's installer with the
# installer builder mksetup, as a packager would: the sample script and the product folder in,
# Setup.exe and data.uha out. It shows what the installer carries and checks the archive byte
# for byte. Then, under Wine: unpacks the archive with the Windows extractor exactly as the
# installer runs it, installs the sample product with Setup.exe, driving its wizard from a
# small program of ours, shows what the installation made, and removes it again with the
# uninstaller it registered.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."

"$here/setup.sh"
# The Windows build first: its Setup.exe is the stub the Linux mksetup stamps.
for preset in windows native; do
  echo "== building $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" | tail -1
done

work=build/sample
rm -rf "$work"
mkdir -p "$work"
mksetup=build/native/mksetup/mksetup
# The product folder as a packager has it: the sample files and the program Witaj.exe.
product="$work/Przykładowy Program"
mkdir -p "$product"
cp -r sample/product/. "$product/"
cp build/windows/sample/Witaj.exe "$product/"

echo "== checking the sample script (resources/setup.ini, CP1250) against $product"
"$mksetup" check resources/setup.ini "$product"
installer="$work/installer"
echo "== building the installer: mksetup build resources/setup.ini '$product' -o $installer"
"$mksetup" build resources/setup.ini "$product" -o "$installer"
echo "== what it carries (mksetup inspect)"
"$mksetup" inspect "$installer/Setup.exe"
build/native/uha/uha l "$installer/data.uha"

# The Windows part runs under Wine: the 32-bit programs under 32-bit Wine; where this machine
# cannot execute 32-bit Linux programs, the 64-bit test build of the same code under 64-bit
# Wine, with an installer that mksetup stamps from that build's Setup.exe.
. "$here/wine-build.sh"
if [ -z "$win_build" ]; then
  echo "== unpacking with the Linux uha (the Windows part needs Wine: $wine_why)"
  build/native/uha/uha x "-t$work/unpacked" "$installer/data.uha" | tail -1
  diff -r "$product" "$work/unpacked" &&
    echo "all $(find "$work/unpacked" -type f | wc -l) files unpacked byte for byte"
  exit 0
fi
if [ "$win_arch" = win64 ]; then
  echo "== 32-bit Wine cannot run here ($wine_why): the Windows part runs the 64-bit test build"
  cmake --preset windows64 >/dev/null
  cmake --build --preset windows64 | tail -1
  cp "$win_build/sample/Witaj.exe" "$product/"
  "$mksetup" build resources/setup.ini "$product" -o "$installer" --quiet \
    --stub "$win_build/app/Setup.exe"
  echo "built $installer/Setup.exe from the 64-bit stub $win_build/app/Setup.exe"
fi

echo "== unpacking with uha.exe under Wine (its output is OEM code page 852, shown as UTF-8)"
"$here/wine-start.sh"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
target="$work/Program Files/Przykład"
# The installer's command line: "{uha.exe}" x -o+ -y+ -t"{target}" "{archive}"
"$here/wine-run.sh" "$win_build/uha/uha.exe" x -o+ -y+ "-t$target" "$installer/data.uha" |
  iconv -f cp852 -t utf-8 | tr -d '\r'

echo "== comparing"
diff -r "$product" "$target" &&
  echo "all $(find "$target" -type f | wc -l) files unpacked byte for byte into $target"

# Wine runs Setup.exe without a display, so a small driver of ours reports its window (texts
# in CP1250, shown as UTF-8) and closes it.
show() { "$here/wine-run.sh" "$win_build/tests/tools/show_window.exe" "$1" | iconv -f cp1250 -t utf-8 | tr -d '\r'; }
echo "== starting $installer/Setup.exe under Wine"
show "$installer/Setup.exe"

# A whole installation. The sample program, started after it, notes how it was started in
# the file PRZYKLAD_DZIENNIK names instead of greeting a user who is not there.
# Wine notes on its error stream each time the wizard's drive list asks for the label of a
# drive it may not read; that note is left out.
tool() {
  "$here/wine-run.sh" "$win_build/tests/tools/sample_installation.exe" "$@" 2> >(grep -v 'FS volume label' >&2) |
    iconv -f cp1250 -t utf-8 | tr -d '\r'
}
rm -rf "$work/Programy"
mkdir -p "$work/Programy"
# Every Wine prefix maps the root of the Linux file system to Z:.
win() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
wtarget="$(win "$PWD/$work/Programy")\\Przykładowy Program"
export PRZYKLAD_DZIENNIK
PRZYKLAD_DZIENNIK="$(win "$PWD/$work")\\uruchomienia.txt"
rm -f "$work/uruchomienia.txt"
echo "== installing the sample product with $installer/Setup.exe into $wtarget"
tool install "$(win "$PWD/$installer/Setup.exe")" "$wtarget" "Przykładowy Program"
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
