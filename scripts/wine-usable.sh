#!/usr/bin/env bash
# Whether this machine can run the Windows build under Wine. Wine runs 32-bit Windows programs
# through 32-bit Linux programs of its own; a kernel or sandbox that cannot execute 32-bit Linux
# programs ("Exec format error") cannot run any of them. Exits 0 when Wine works; otherwise
# prints the reason on standard output and exits 1.
# With SETUP_WINEARCH=win64 it asks the same of the 64-bit Wine that runs the 64-bit test build
# (wine-env.sh).
# With SETUP_WINEARCH=wow64, whether both run: 32-bit programs in a 64-bit prefix need both.
if [ "${SETUP_WINEARCH:-win32}" = wow64 ]; then
  SETUP_WINEARCH=win64 "$0" || exit 1
  SETUP_WINEARCH=win32 "$0" || exit 1
  exit 0
fi
if [ "${SETUP_WINEARCH:-win32}" = win64 ]; then
  if [ ! -x /usr/lib/wine/wine64 ]; then
    echo "64-bit Wine is not installed (/usr/lib/wine/wine64)"
    exit 1
  fi
  if ! out=$(/usr/lib/wine/wine64 --version 2>&1); then
    echo "64-bit Wine does not start here: ${out##*: }"
    exit 1
  fi
  exit 0
fi
if ! command -v wine >/dev/null 2>&1; then
  echo "Wine is not installed"
  exit 1
fi
# Debian's launcher answers --version without the 32-bit loader, which package wine32 brings.
if [ -d /usr/lib/wine ] && [ ! -x /usr/lib/wine/wine ]; then
  echo "32-bit Wine is not installed (/usr/lib/wine/wine, Debian package wine32:i386)"
  exit 1
fi
if ! out=$(wine --version 2>&1); then
  echo "Wine does not start here: ${out##*: } (this machine cannot execute 32-bit Linux programs)"
  exit 1
fi
exit 0
