#!/usr/bin/env bash
# What the headers of the shipped 32-bit programs promise.
# Imports: they import at load time only DLLs that Windows takes from the system folder
# whatever lies beside the program: KnownDLLs, and comctl32, which the programs with windows
# take in version 6 through their manifest. Any other DLL (uxtheme.dll, version.dll, ...) would
# be searched for beside the program first, so one planted in a downloads folder would be
# loaded into an elevated installer.
# uha.exe and the extractor Setup.exe carries are large-address-aware: on a 64-bit Windows
# their decoding threads get 4 GiB.
# Prints one "PASS name" or "FAIL name" line per check.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$here/.."
known="ADVAPI32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL OLEAUT32.DLL SHELL32.DLL USER32.DLL"
for program in app/Setup.exe uha/uha.exe uha/uha-extractor.exe uninstall/Odinstaluj.exe \
  mksetup/mksetup.exe; do
  exe=build/windows/$program
  name=$(basename "$program")
  if [ ! -f "$exe" ]; then
    echo "FAIL imports-$name (no $exe: the windows build failed)"
    continue
  fi
  allowed=$known
  # A manifest dependency on the common controls makes comctl32 come from the side-by-side store.
  if grep -qa 'Microsoft.Windows.Common-Controls' "$exe"; then allowed="$allowed COMCTL32.DLL"; fi
  bad=""
  for dll in $(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'a-z' 'A-Z'); do
    [[ " $allowed " == *" $dll "* ]] || bad="$bad $dll"
  done
  if [ -z "$bad" ]; then echo "PASS imports-$name"; else echo "FAIL imports-$name (imports$bad)"; fi
done

for uha in build/windows/uha/uha.exe build/windows/uha/uha-extractor.exe; do
  name=$(basename "$uha")
  if grep -q 'large address aware' <<<"$(i686-w64-mingw32-objdump -p "$uha" 2>/dev/null)"; then
    echo "PASS large-address-aware-$name"
  else
    echo "FAIL large-address-aware-$name"
  fi
done
