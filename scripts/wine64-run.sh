#!/usr/bin/env bash
# wine-run.sh for the 64-bit test build (the windows64 preset's cross-compiling emulator):
# the 64-bit Wine and the prefix build/windows64/wineprefix.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SETUP_WINEARCH=win64 exec "$here/wine-run.sh" "$@"
