#!/usr/bin/env bash
# The installer builder on both systems: the Linux mksetup and the Windows mksetup.exe (under
# Wine) make the same bytes from the sample product; an installer built and signed through
# --sign-cmd (osslsigncode, a throwaway certificate) carries valid signatures, installs the
# sample product under Wine with the uninstaller it signed, and is removed again.
# Needs both builds; prints one "PASS name" or "FAIL name" line per check.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
. scripts/wine-build.sh
linux=build/native/mksetup/mksetup
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A Linux path as Wine names it: every prefix maps the root of the Linux file system to Z:.
win() { local p=${1//\//\\}; printf "Z:%s" "$p"; }

report() {  # name, status, log
  if [ "$2" = 0 ]; then echo "PASS $1"; else echo "FAIL $1"; tail -20 "$3"; fi
}

# The sample product as a packager has it: one folder with the program in it.
product="$work/Przykład"
mkdir -p "$product"
cp -r sample/product/. "$product/"
cp build/windows/sample/Witaj.exe "$product/"
# Media that looks packed already: the builders must judge it alike.
mkdir -p "$product/Film" && head -c 4194304 /dev/urandom >"$product/Film/zwiastun.bin"
script="$work/setup.ini"
iconv -f cp1250 -t utf-8 resources/setup.ini >"$script"  # packagers write UTF-8

log="$work/same.log"
if [ -z "$win_build" ]; then
  echo "SKIP linux-and-windows-builders-same-bytes ($wine_why)"
else
# Both stamp the same stub, the one the Windows builder came with.
stub="$PWD/$win_build/mksetup/stub/Setup.exe"
(
  set -e
  "$linux" build "$script" "$product" -o "$work/linux" --quiet --stub "$stub"
  scripts/wine-run.sh "$win_build/mksetup/mksetup.exe" build "$(win "$script")" \
    "$(win "$product")" -o "$(win "$work/windows")" --quiet
  cmp "$work/linux/Setup.exe" "$work/windows/Setup.exe"
  cmp "$work/linux/data.uha" "$work/windows/data.uha"
) >"$log" 2>&1
report linux-and-windows-builders-same-bytes $? "$log"
fi

# Signing with a throwaway certificate; a fixed signing time keeps the bytes reproducible.
log="$work/sign.log"
(
  set -e
  cd "$work"
  openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=Setup-Test -days 2 \
    -keyout key.pem -out cert.pem
  openssl pkcs12 -export -inkey key.pem -in cert.pem -passout pass:test -out key.pfx
) >"$log" 2>&1
sign="osslsigncode sign -pkcs12 $work/key.pfx -pass test -h sha256 -n Przyklad -time 1700000000 -in {in} -out {out}"
verify() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >>"$log" 2>&1; }
out="$work/signed"
"$linux" build "$script" "$product" -o "$out" --quiet --sign-cmd "$sign" >>"$log" 2>&1 &&
  verify "$out/Setup.exe" &&
  "$linux" inspect "$out/Setup.exe" --save "$work/carried" >>"$log" 2>&1 &&
  verify "$work/carried/uha.exe" && verify "$work/carried/Odinstaluj.exe"
report signed-installer-and-the-programs-it-carries-verify $? "$log"

# The signed installer installs the sample product; the uninstaller it wrote is signed. Under
# 64-bit Wine the installer is stamped from the 64-bit test build's Setup.exe (the same code),
# with that build's sample program in the product.
if [ -z "$win_build" ]; then
  echo "SKIP signed-installer-installs-with-a-signed-uninstaller ($wine_why)"
  echo "SKIP installed-product-removed ($wine_why)"
  exit 0
fi
if [ "$win_arch" = win64 ]; then
  cp "$win_build/sample/Witaj.exe" "$product/"
  out="$work/signed64"
  "$linux" build "$script" "$product" -o "$out" --quiet --sign-cmd "$sign" \
    --stub "$win_build/app/Setup.exe" >>"$log" 2>&1
fi
log="$work/install.log"
# Wine's own complaints go to the log too, so that a run that fails to start says why.
tool() {
  timeout 300 scripts/wine-run.sh "$win_build/tests/tools/sample_installation.exe" "$@" 2>&1 |
    iconv -f cp1250 -t utf-8 -c | tr -d '\r'
}
mkdir -p "$work/Programy"
target="$(win "$work/Programy")\\Przykładowy Program"
# The sample program, started after the installation, notes its start in this file instead of
# greeting a user who is not there.
export PRZYKLAD_DZIENNIK
PRZYKLAD_DZIENNIK="$(win "$work")\\uruchomienia.txt"
(
  set -e
  tool install "$(win "$out/Setup.exe")" "$target" "Przykładowy Program"
  verify "$work/Programy/Przykładowy Program/Odinstaluj.exe"
  cmp "$work/Programy/Przykładowy Program/Witaj.exe" "$product/Witaj.exe"
) >"$log" 2>&1
report signed-installer-installs-with-a-signed-uninstaller $? "$log"
log="$work/uninstall.log"
tool uninstall "$target" >"$log" 2>&1 && [ ! -e "$work/Programy/Przykładowy Program" ]
status=$?
echo "exit status $status; left in the target: $(ls -A "$work/Programy/Przykładowy Program" 2>&1)" >>"$log"
report installed-product-removed $status "$log"
