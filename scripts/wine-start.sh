#!/usr/bin/env bash
# Starts Wine for a run of Windows programs: creates the prefix if missing, starts a
# persistent wineserver (without it every program waits seconds for the server to end) and
# Wine's background services, with their output sent nowhere. A service started by a test
# program would otherwise inherit that program's output pipe and keep it open, so whoever
# reads the pipe (ctest, a shell pipeline) would wait for it forever.
# SETUP_WINEARCH picks the 32-bit (default) or the 64-bit Wine and prefix (wine-env.sh).
# Stop with: WINEPREFIX=... wineserver -k
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
"$here/wine-prefix.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=pl_PL.UTF-8
wineserver -p >/dev/null 2>&1 </dev/null || true  # one may be running already
"$WINE" wineboot >/dev/null 2>&1 </dev/null
