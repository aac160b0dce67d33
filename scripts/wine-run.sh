#!/usr/bin/env bash
# Runs a Windows program under Wine the way the tests need it: a Windows prefix kept in the
# build folder, the Polish locale (ANSI code page 1250, OEM code page 852), no debug noise.
# Used as CMake's cross-compiling emulator, so ctest runs the .exe tests through it.
# SETUP_WINEARCH picks the 32-bit (default) or the 64-bit Wine and prefix (wine-env.sh);
# WINEPREFIX may be set by the caller; otherwise the prefix lives in build/windows/wineprefix
# (build/windows64/wineprefix for win64).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export LC_ALL=pl_PL.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$here/wine-prefix.sh" >&2 || exit 1
fi
exec "$WINE" "$@"
