#!/usr/bin/env bash
# Starts Setup.exe (with the sample product's archive beside it) under Xvfb, installs the
# sample product and saves a picture of each of the wizard's six pages to docs/screenshots/
# (PNG). Uses a Wine prefix of its own with a virtual desktop, so the window has its title
# bar. The sample program notes its start in a file instead of greeting.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
"$here/setup.sh"
cmake --preset windows >/dev/null
cmake --build --preset windows --target Setup wizard_tour Witaj | tail -1
cmake --preset native >/dev/null
cmake --build --preset native --target uha >/dev/null
mkdir -p build/sample
# The product's files and its program at the archive's root, as the installer unpacks them.
build/native/uha/uha a build/sample/data.uha -C sample/product . -C build/windows/sample Witaj.exe \
  >/dev/null

export WINEPREFIX=$PWD/build/windows/shots-prefix
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=pl_PL.UTF-8
export PRZYKLAD_DZIENNIK='C:\witaj.txt'
work=$PWD/build/shots
rm -rf "$work"
mkdir -p "$work/installer" "$work/bmp" docs/screenshots
cp build/windows/app/Setup.exe build/sample/data.uha "$work/installer/"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -e
  if [ ! -f "$WINEPREFIX/system.reg" ]; then wineboot -i >/dev/null 2>&1; wineserver -w; fi
  wine reg add "HKCU\Software\Wine\Explorer" /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add "HKCU\Software\Wine\Explorer\Desktops" /v Default /d 800x600 /f >/dev/null 2>&1
  wine "'"$PWD"'/build/windows/tests/tools/wizard_tour.exe" "'"$work"'/installer/Setup.exe" "'"$work"'/bmp"
  wineserver -k || true
'
for bmp in "$work"/bmp/*.bmp; do
  convert "$bmp" "docs/screenshots/$(basename "${bmp%.bmp}").png"
done
ls -l docs/screenshots
