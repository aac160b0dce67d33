#!/usr/bin/env bash
# Creates and configures the Wine prefix the Windows tests run in (about 10 s), if needed.
# Window programs run without a display (the "null" graphics driver): tests drive them from
# another program, which finds and reads their windows all the same.
# SETUP_WINEARCH picks the 32-bit (default) or the 64-bit prefix (wine-env.sh).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=pl_PL.UTF-8
marker="$WINEPREFIX/.setup-configured-1"
[ -f "$marker" ] && exit 0
mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-prefix: creating $WINEPREFIX ($WINEARCH)" >&2
  "$WINE" wineboot -i >/dev/null 2>&1
fi
"$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "wine-prefix: wineboot did not create the prefix" >&2; exit 1; }
touch "$marker"
